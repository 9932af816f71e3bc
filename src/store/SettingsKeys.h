#pragma once

#include <QString>

// The settings vocabulary: applications, sections, keys and defaults, byte for byte.
// Keys ending in "#" (or a bare stem such as "Pintar") take a terminal number at their end,
// built at the moment of the call with PerTerminal().
namespace Keys {

inline QString PerTerminal(const char* stem, int terminal) {
    return QString::fromUtf8(stem) + QString::number(terminal);
}

// Application kzd_sql, section "Settings": reply markers read for a terminal.
inline constexpr char kAppKzdSql[] = "kzd_sql";
inline constexpr char kSecSettings[] = "Settings";
inline constexpr char kSnAwal[] = "SNAwal #";
inline constexpr char kSnAkhir[] = "SNAkhir #";
inline constexpr char kSnAwalStok[] = "SNAwalStok #";
inline constexpr char kSnAkhirStok[] = "SNAkhirStok #";
inline constexpr char kSnAwalStokDefault[] = "k=";
inline constexpr char kSnAkhirStokDefault[] = ".";

}  // namespace Keys
