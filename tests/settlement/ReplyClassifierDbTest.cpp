#include "settlement/ReplyClassifier.h"
#include "support/MoneyFixture.h"

namespace {

class ReplyClassifierTest : public MoneyTest {
  protected:
    void Keyword(const QString& katakunci, const QString& balasan, const QString& jenis) {
        Rows("balasan", "katakunci,balasan,jenis", {{katakunci, balasan, jenis}});
    }
};

using Kind = ReplyClassifier::Kind;

}  // namespace

TEST_F(ReplyClassifierTest, FirstKeywordOfTheTableDecidesNotTheFirstInTheReply) {
    Keyword("ANTRI", "sedang antri", "CS");  // never a keyword
    Keyword("Gagal", "GAGAL <tujuan>", "ERROR");
    Keyword("sukses", "CS row first", "CS");
    Keyword("sukses", "SUKSES <sn>", "OKE");
    Keyword("oke", "lower case kind", "oke");
    Keyword("pakai;titik", "x", "OKE");
    ReplyClassifier c(Ctx());
    // the server compares jenis without regard to case; the kind itself is compared exactly
    EXPECT_EQ(c.Keywords(), "gagal;sukses;oke;pakai;titik");
    EXPECT_EQ(c.Classify("trx oke").kind, Kind::Dropped);

    // "sukses" stands first in the reply, but "gagal" comes first in the table
    ReplyClassifier::Verdict v = c.Classify("trx sukses, lalu gagal");
    EXPECT_EQ(v.kind, Kind::Failure);
    EXPECT_EQ(v.templ, "GAGAL <tujuan>");
    v = c.Classify("trx sukses sn 1");
    EXPECT_EQ(v.kind, Kind::Success);  // the "CS" row of the keyword is skipped
    EXPECT_EQ(v.templ, "SUKSES <sn>");
    EXPECT_EQ(c.Classify("saldo habis").kind, Kind::NoKeyword);
    // a template holding ";" is cut there, and its rest stands in for the kind
    Keyword("cut", "Trx OK; thanks", "OKE");
    EXPECT_EQ(c.GetBalasan("cut"), "Trx OK; thanks;OKE");
}

TEST_F(ReplyClassifierTest, KindsOtherThanOkeAndErrorDropTheReply) {
    Keyword("proses", "a;OKE", "ERROR");  // cut at ";": the kind read is "OKE"
    Keyword("tunda", "Trx ditunda; nanti", "ERROR");
    ReplyClassifier c(Ctx());
    EXPECT_EQ(c.Classify("sedang proses").kind, Kind::Success);
    EXPECT_EQ(c.Classify("trx tunda").kind, Kind::Dropped);
}

TEST_F(ReplyClassifierTest, EmptyListIsLoadedAgainAndTheLoadedOneIsKept) {
    ReplyClassifier c(Ctx());
    EXPECT_EQ(c.Classify("sukses").kind, Kind::NoKeyword);
    Keyword("sukses", "S", "OKE");
    EXPECT_EQ(c.Classify("sukses").kind, Kind::Success);
    Keyword("gagal", "G", "ERROR");
    EXPECT_EQ(c.Classify("gagal").kind, Kind::NoKeyword);  // until a restart
}

TEST_F(ReplyClassifierTest, TransactionCodeIsTheSecondField) {
    EXPECT_EQ(ReplyClassifier::GetKodeTrx("50#T77#x"), "T77");
    EXPECT_EQ(ReplyClassifier::GetKodeTrx("50"), "0");
    EXPECT_EQ(ReplyClassifier::GetKodeTrx("50#"), "");
}

TEST_F(ReplyClassifierTest, NumberedSnFieldsByMarkerPairs) {
    Values().SnMulti0 = "sn:;ref ";
    Values().SnMulti1 = ". ; ";
    ReplyClassifier c(Ctx());
    EXPECT_EQ(c.IsiSNMulti("ok sn:abc123. ref 778 done", "<sn-0>|<sn-1>|<sn-0>|<sn-2>"),
              "abc123|778|abc123|<sn-2>");
    EXPECT_EQ(c.IsiSNMulti("ok sn:abc123. ref 778 done", "tanpa nomor"), "tanpa nomor");

    // ten pairs and more: "<sn-10>" is its own placeholder, not "<sn-1>" and a "0"
    Values().SnMulti0 = "a0=;a1=;a2=;a3=;a4=;a5=;a6=;a7=;a8=;a9=;a10=";
    Values().SnMulti1 = "/;/;/;/;/;/;/;/;/;/;/";
    EXPECT_EQ(c.IsiSNMulti("a1=x/ a10=y/", "<sn-1>,<sn-10>"), "x,y");

    // fewer end markers: the pairs that exist are filled, the shortage is logged
    Values().SnMulti0 = "a=;b=";
    Values().SnMulti1 = "/";
    EXPECT_EQ(c.IsiSNMulti("a=1/ b=2/", "<sn-0>,<sn-1>"), "1,<sn-1>");
    EXPECT_EQ(LogLines("Terminal #5").filter("IsiSNMulti").size(), 1);

    // a marker that is no pattern fills nothing, the others still do; no match fills ""
    Values().SnMulti0 = "(;b=;z=";
    Values().SnMulti1 = "/;/;/";
    EXPECT_EQ(c.IsiSNMulti("a=1/ b=2/", "<sn-0>,<sn-1>,<sn-2>"), "<sn-0>,2,");
}
