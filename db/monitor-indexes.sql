-- Indexes the fleet monitor (relvane monitor) reads through. The tables are the host's: its
-- operator adds these once, on a quiet hour (each ALTER rebuilds the table's indexes):
--   mariadb DBNAME < db/monitor-indexes.sql
-- Today's orders by terminal and status, read from the index alone:
ALTER TABLE `transaksi` ADD INDEX IF NOT EXISTS `monitor_day` (`datetime_transaksi`, `terminal`, `status`);
-- The products switched off, without reading the whole routing table:
ALTER TABLE `parsing` ADD INDEX IF NOT EXISTS `monitor_off` (`active`, `terminal`, `kode_produk`);
