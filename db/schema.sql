-- Relvane: the host server's tables as the chat terminal module reads and writes them.
-- MariaDB 10.11 / MySQL, InnoDB. Load into an empty database:
--   mariadb DBNAME < db/schema.sql
-- Amounts are whole currency units (32-bit); date-times are written by the
-- module as 'yyyy-mm-dd hh:mm:ss' in local time. Columns the module never
-- names in its INSERTs carry defaults so that strict mode accepts them.

-- ---------------------------------------------------------------------------
-- Job queue and message tables
-- ---------------------------------------------------------------------------

-- Jobs the host hands to a terminal: orders to send to a supplier, and plain
-- messages (kode_produk '-', reseller 'ADMIN') for a terminal to deliver.
-- A terminal fetches today's rows for itself, oldest id first.
CREATE TABLE IF NOT EXISTS `job_quenue` (
  `id` BIGINT NOT NULL AUTO_INCREMENT,
  `datetime` DATETIME NULL DEFAULT NULL,
  `kode_produk` VARCHAR(50) NOT NULL DEFAULT '',
  `tujuan` VARCHAR(100) NOT NULL DEFAULT '',
  `pesan` TEXT NOT NULL DEFAULT '',
  `kode_reseller` VARCHAR(60) NOT NULL DEFAULT '',
  `hp_reseller` VARCHAR(100) NOT NULL DEFAULT '',
  `trx_id` VARCHAR(100) NOT NULL DEFAULT '',
  `terminal` INT NOT NULL DEFAULT 0,
  `line_gate` INT NOT NULL DEFAULT 0,
  PRIMARY KEY (`id`),
  KEY `terminal_datetime` (`terminal`, `datetime`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- Alternative job queue, same layout; used instead of job_quenue when the
-- installation's setQueue switch is 1.
CREATE TABLE IF NOT EXISTS `job_quenue_` LIKE `job_quenue`;

-- One row per order a terminal has sent to its supplier.
CREATE TABLE IF NOT EXISTS `outbox` (
  `id` BIGINT NOT NULL AUTO_INCREMENT,
  `datetime` DATETIME NULL DEFAULT NULL,
  `tujuan` VARCHAR(100) NOT NULL DEFAULT '',
  `pesan` TEXT NOT NULL DEFAULT '',
  `status` TINYINT NOT NULL DEFAULT 0,
  `terminal` INT NOT NULL DEFAULT 0,
  `kode_produk` VARCHAR(50) NOT NULL DEFAULT '',
  `kode_reseller` VARCHAR(60) NOT NULL DEFAULT '',
  PRIMARY KEY (`id`),
  KEY `terminal_datetime` (`terminal`, `datetime`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- One row per supplier message a terminal has taken in.
CREATE TABLE IF NOT EXISTS `inbox` (
  `id` BIGINT NOT NULL AUTO_INCREMENT,
  `datetime` DATETIME NULL DEFAULT NULL,
  `pengirim` VARCHAR(200) NOT NULL DEFAULT '',
  `pesan` TEXT NOT NULL DEFAULT '',
  `status` TINYINT NOT NULL DEFAULT 0,
  `terminal` INT NOT NULL DEFAULT 0,
  PRIMARY KEY (`id`),
  KEY `terminal_datetime` (`terminal`, `datetime`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- The host's terminals. modul names the program that drives the terminal;
-- status '1' = logged in and active, '0' = off. kode_kelompok 'NC' on a
-- terminal's row asks its instance to close ('NC' on terminal 0: all of them).
CREATE TABLE IF NOT EXISTS `terminal` (
  `terminal` INT NOT NULL,
  `modul` VARCHAR(50) NOT NULL DEFAULT '',
  `status` CHAR(1) NOT NULL DEFAULT '0',
  `kode_kelompok` VARCHAR(50) NOT NULL DEFAULT '',
  PRIMARY KEY (`terminal`),
  KEY `modul` (`modul`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- Mailbox between a terminal and the booster program: outgoing texts
-- (trx_id 'GetQueue') and texts the booster received ('GetSupplierRecv').
-- pesan is always stored encoded. Same definition the module uses when it
-- has to create the table itself.
CREATE TABLE IF NOT EXISTS `ym_queue` (
  `id` BIGINT NOT NULL auto_increment,
  `tanggal` datetime NOT NULL DEFAULT '0000-00-00 00:00:00',
  `msisdn` varchar(100) DEFAULT '-',
  `pesan` varchar(160) NOT NULL DEFAULT '',
  `terminal` smallint(3) unsigned DEFAULT '0',
  `trx_id` varchar(50) DEFAULT '0',
  PRIMARY KEY (`id`),
  UNIQUE KEY id (`id`),
  KEY id_2 (`id`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- ---------------------------------------------------------------------------
-- Transactions and replies
-- ---------------------------------------------------------------------------

-- Every order and fee. status: '0' failed, '1' succeeded, '2' waiting for the
-- supplier. kode_transaksi holds '#'-separated fields (upline rebate, then the
-- host's transaction id fields). harga_beli is the price charged to the
-- reseller; harga_dasar the supplier's price, kept as text because a price
-- read from a reply may be recorded as 'N/A'. stok is the supplier's stock
-- figure exactly as quoted (it may carry separators).
CREATE TABLE IF NOT EXISTS `transaksi` (
  `id` BIGINT NOT NULL AUTO_INCREMENT,
  `kode_transaksi` VARCHAR(150) NOT NULL DEFAULT '',
  `datetime_sms` DATETIME NULL DEFAULT NULL,
  `datetime_transaksi` DATETIME NULL DEFAULT NULL,
  `kode_produk` VARCHAR(50) NOT NULL DEFAULT '',
  `tujuan` VARCHAR(100) NOT NULL DEFAULT '',
  `kode_reseller` VARCHAR(60) NOT NULL DEFAULT '',
  `nama_reseller` VARCHAR(100) NULL DEFAULT NULL,
  `hp_reseller` VARCHAR(100) NOT NULL DEFAULT '',
  `deposit_awal` INT NOT NULL DEFAULT 0,
  `deposit_akhir` INT NOT NULL DEFAULT 0,
  `harga_beli` INT NOT NULL DEFAULT 0,
  `harga_dasar` VARCHAR(20) NOT NULL DEFAULT '0',
  `line_gate` INT NOT NULL DEFAULT 0,
  `terminal` INT NOT NULL DEFAULT 0,
  `status` CHAR(1) NOT NULL DEFAULT '0',
  `keterangan` TEXT NULL DEFAULT NULL,
  `sn` VARCHAR(255) NULL DEFAULT NULL,
  `stok` VARCHAR(50) NULL DEFAULT NULL,
  PRIMARY KEY (`id`),
  KEY `status_terminal_time` (`status`, `terminal`, `datetime_transaksi`),
  KEY `tujuan_produk` (`tujuan`, `kode_produk`),
  KEY `reseller_status` (`kode_reseller`, `status`),
  KEY `datetime_transaksi` (`datetime_transaksi`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- The host's second transaction table, same layout. The dispatch loop reads
-- its first row on every tick to make sure the database still answers.
CREATE TABLE IF NOT EXISTS `transaksi_` LIKE `transaksi`;

-- Reply keywords and reseller reply templates. jenis: 'OKE' success,
-- 'ERROR' failure, 'CS' never used to classify. A keyword may have several
-- rows (e.g. a 'CS' and an 'ERROR' one), so katakunci is not unique.
CREATE TABLE IF NOT EXISTS `balasan` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `katakunci` VARCHAR(100) NOT NULL DEFAULT '',
  `balasan` VARCHAR(1000) NOT NULL DEFAULT '',
  `jenis` VARCHAR(20) NOT NULL DEFAULT '',
  `biaya` INT NOT NULL DEFAULT 0,
  PRIMARY KEY (`id`),
  KEY `katakunci` (`katakunci`),
  KEY `jenis` (`jenis`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- Bill data captured from inquiry replies: msisdn = customer ID, pesan = bill
-- amount (digits), trx_id = index number; terminal '0' rows are ignored by
-- the bill-amount lookup.
CREATE TABLE IF NOT EXISTS `e2e_queue` (
  `id` BIGINT NOT NULL AUTO_INCREMENT,
  `tanggal` DATETIME NULL DEFAULT NULL,
  `msisdn` VARCHAR(100) NOT NULL DEFAULT '-',
  `pesan` VARCHAR(160) NOT NULL DEFAULT '',
  `terminal` SMALLINT UNSIGNED NOT NULL DEFAULT 0,
  `trx_id` VARCHAR(50) NOT NULL DEFAULT '0',
  PRIMARY KEY (`id`),
  KEY `msisdn` (`msisdn`),
  KEY `trx_id` (`trx_id`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- One row per reseller: accumulated product points (hit), first and last
-- activity, credit allowance, and the personal promo text with its fee.
-- Same definition the module uses when it has to create the table itself.
CREATE TABLE IF NOT EXISTS `reseller_log` (
  `id` BIGINT NOT NULL AUTO_INCREMENT,
  `hit` DOUBLE NOT NULL DEFAULT '0',
  `kode_reseller` varchar(60) NULL DEFAULT NULL,
  `datetime` datetime NULL DEFAULT NULL,
  `pesan_terakhir` varchar(250) NULL DEFAULT NULL,
  `deposit_kredit` DOUBLE NOT NULL DEFAULT '0',
  `pesan_promo` varchar(160) NOT NULL DEFAULT 'OFF',
  `biaya` FLOAT(12) NOT NULL DEFAULT '0',
  `realtimenow` datetime NULL DEFAULT NULL,
  PRIMARY KEY (`id`),
  UNIQUE KEY `id` (`id`),
  KEY `id_2` (`id`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8;

-- ---------------------------------------------------------------------------
-- Products, terminals' product rows and routing
-- ---------------------------------------------------------------------------

-- A product's configuration on one terminal. active '1'/'0'; cmd is the
-- supplier command template and target its chat target ('-' for none);
-- method is the supplier's method code; selisih the price-update mode and
-- reply its markup (text holding an amount); dec_stok the supplier's stock
-- figure, -1 when none is known.
CREATE TABLE IF NOT EXISTS `parsing` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `kode_produk` VARCHAR(50) NOT NULL DEFAULT '',
  `terminal` INT NOT NULL DEFAULT 0,
  `active` CHAR(1) NOT NULL DEFAULT '1',
  `prioritas` INT NOT NULL DEFAULT 1,
  `cmd` VARCHAR(255) NOT NULL DEFAULT '',
  `target` VARCHAR(100) NOT NULL DEFAULT '-',
  `method` VARCHAR(20) NOT NULL DEFAULT '',
  `selisih` INT NOT NULL DEFAULT 0,
  `reply` VARCHAR(50) NOT NULL DEFAULT '0',
  `harga_beli` INT NOT NULL DEFAULT 0,
  `harga_jual` INT NOT NULL DEFAULT 0,
  `dec_stok` INT NOT NULL DEFAULT -1,
  PRIMARY KEY (`id`),
  KEY `produk_terminal` (`kode_produk`, `terminal`),
  KEY `terminal` (`terminal`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- Products: ordinary selling price, default purchase price, type (1 earns no
-- rebates), points per sale (NULL when the product has none) and a sales
-- counter.
CREATE TABLE IF NOT EXISTS `produk` (
  `kode_produk` VARCHAR(50) NOT NULL,
  `nama_produk` VARCHAR(100) NOT NULL DEFAULT '',
  `harga_jual` INT NOT NULL DEFAULT 0,
  `harga_beli` INT NOT NULL DEFAULT 0,
  `tipe` TINYINT UNSIGNED NOT NULL DEFAULT 0,
  `poin` INT NULL DEFAULT NULL,
  `counter` INT NOT NULL DEFAULT 0,
  PRIMARY KEY (`kode_produk`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- Routing rules for re-routed orders. nomor_prefik holds ';'-wrapped tags
-- (number prefixes, reseller codes, group codes, address words), tujuan the
-- candidate terminal list. status '1' also matches the tags against
-- resellers' addresses.
CREATE TABLE IF NOT EXISTS `hlr_distribution` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `nomor_prefik` VARCHAR(255) NOT NULL DEFAULT '',
  `tujuan` VARCHAR(255) NOT NULL DEFAULT '',
  `status` CHAR(1) NOT NULL DEFAULT '0',
  PRIMARY KEY (`id`),
  KEY `status` (`status`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- ---------------------------------------------------------------------------
-- Resellers, price groups and rebates
-- ---------------------------------------------------------------------------

-- Price groups: one price per reseller level (master, dealer, agent) and the
-- rebates paid upwards, per group and product.
CREATE TABLE IF NOT EXISTS `kelompok` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `kode_kelompok` VARCHAR(30) NOT NULL DEFAULT '',
  `kode_produk` VARCHAR(50) NOT NULL DEFAULT '',
  `harga_master` INT NOT NULL DEFAULT 0,
  `harga_dealer` INT NOT NULL DEFAULT 0,
  `harga` INT NOT NULL DEFAULT 0,
  `rebat_master` INT NOT NULL DEFAULT 0,
  `rebat_dealer` INT NOT NULL DEFAULT 0,
  `rebat` INT NOT NULL DEFAULT 0,
  PRIMARY KEY (`id`),
  KEY `kelompok_produk` (`kode_kelompok`, `kode_produk`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- Member chain of a group: for kode_reseller, kode_produk holds the code of
-- the member above it (a reseller code, not a product) and rebat what that
-- member earns on each sale.
CREATE TABLE IF NOT EXISTS `harga_agen` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `kode_kelompok` VARCHAR(30) NOT NULL DEFAULT '',
  `kode_reseller` VARCHAR(60) NOT NULL DEFAULT '',
  `kode_produk` VARCHAR(60) NOT NULL DEFAULT '',
  `rebat` INT NOT NULL DEFAULT 0,
  PRIMARY KEY (`id`),
  KEY `kelompok_reseller` (`kode_kelompok`, `kode_reseller`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- Per-product upline rebates: nama_kelompok holds the downline's reseller
-- code or 'ALL', harga_master the upline's reseller code, harga the amount.
CREATE TABLE IF NOT EXISTS `temp_kelompok` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `kode_kelompok` VARCHAR(30) NOT NULL DEFAULT '',
  `nama_kelompok` VARCHAR(60) NOT NULL DEFAULT '',
  `kode_produk` VARCHAR(50) NOT NULL DEFAULT '',
  `harga_master` VARCHAR(60) NOT NULL DEFAULT '',
  `harga` INT NOT NULL DEFAULT 0,
  PRIMARY KEY (`id`),
  KEY `kelompok_downline_produk` (`kode_kelompok`, `nama_kelompok`, `kode_produk`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- Reseller master data. Columns in the order the reseller record is built.
-- level: 1 master, 2 dealer, 3 (or anything else) agent. manual 1: the
-- reseller's customers get the general promo text. alamat may carry routing
-- words.
CREATE TABLE IF NOT EXISTS `reseller` (
  `kode_reseller` VARCHAR(60) NOT NULL,
  `nama_reseller` VARCHAR(100) NULL DEFAULT NULL,
  `deposit` INT NOT NULL DEFAULT 0,
  `alamat` VARCHAR(255) NULL DEFAULT NULL,
  `pin` VARCHAR(20) NULL DEFAULT NULL,
  `status` CHAR(1) NOT NULL DEFAULT '1',
  `manual` TINYINT UNSIGNED NOT NULL DEFAULT 0,
  `terminal` INT NOT NULL DEFAULT 0,
  `kode_upline` VARCHAR(60) NULL DEFAULT NULL,
  `level` INT NOT NULL DEFAULT 3,
  `kode_kelompok` VARCHAR(30) NULL DEFAULT NULL,
  PRIMARY KEY (`kode_reseller`),
  KEY `kode_kelompok` (`kode_kelompok`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- Resellers' registered addresses (phone numbers or chat addresses); a
-- reseller may have several, the first row is the one messages go to.
CREATE TABLE IF NOT EXISTS `hp_reseller` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `kode_reseller` VARCHAR(60) NOT NULL DEFAULT '',
  `hp` VARCHAR(100) NOT NULL DEFAULT '',
  PRIMARY KEY (`id`),
  KEY `kode_reseller` (`kode_reseller`),
  KEY `hp` (`hp`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- Ledger: one row per entry, saldo = the reseller's ledger balance after it.
-- A reseller's latest entry is its highest id. When an insert hits a
-- duplicate id the module moves AUTO_INCREMENT forward and goes on.
CREATE TABLE IF NOT EXISTS `rekening` (
  `id` BIGINT NOT NULL AUTO_INCREMENT,
  `tanggal` DATETIME NULL DEFAULT NULL,
  `kode_rekening` VARCHAR(20) NOT NULL DEFAULT '',
  `debet` INT NOT NULL DEFAULT 0,
  `kredit` INT NOT NULL DEFAULT 0,
  `saldo` INT NOT NULL DEFAULT 0,
  `kode_reseller` VARCHAR(60) NOT NULL DEFAULT '',
  `uraian` VARCHAR(255) NOT NULL DEFAULT '',
  PRIMARY KEY (`id`),
  KEY `reseller_id` (`kode_reseller`, `id`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- ---------------------------------------------------------------------------
-- Installation configuration
-- ---------------------------------------------------------------------------

-- Installation-wide values by kode: on/off options (level 11, value in
-- parsing), warning limit and template, and per-event administration fees
-- (biaya).
CREATE TABLE IF NOT EXISTS `configuration` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `kode` VARCHAR(100) NOT NULL DEFAULT '',
  `parsing` VARCHAR(1000) NOT NULL DEFAULT '',
  `level` INT NOT NULL DEFAULT 0,
  `biaya` INT NOT NULL DEFAULT 0,
  PRIMARY KEY (`id`),
  KEY `kode_level` (`kode`, `level`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- Terminals that send promo messages (the rows whose pengirim is the
-- discharge marker).
CREATE TABLE IF NOT EXISTS `discharge` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `terminal` INT NOT NULL DEFAULT 0,
  `pengirim` VARCHAR(100) NOT NULL DEFAULT '',
  PRIMARY KEY (`id`),
  KEY `pengirim` (`pengirim`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;
