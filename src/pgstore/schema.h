#pragma once
// The tables of the word server, made on first use and marked with a schema version so that a
// later Tallyvane can tell what it finds and migrate it.
//
//   tallyvane_schema  version: one row, the version of these tables
//   tallyvane_runs    id, name (unique), list_fingerprint, settings, site_rows, created_at
//   tallyvane_pages   run_id, site_row (the key with run_id), site, outcome, detail, words,
//                     shard, recorded_at: one row per site row counted, written in the same
//                     transaction as the page's words
//   tallyvane_words   run_id, site_row, word, count: one row per distinct word of a page
//
// The words table has no key and no reference to another table, and its word column compares
// bytes (COLLATE "C"), so a distributed PostgreSQL (Citus) can spread it by word as it stands.
namespace tv {

class PgConnection;

inline constexpr int kSchemaVersion = 1;

// Checks that the database can hold words (UTF-8) and that its tables are of a version this
// program knows; makes them when they are missing. Throws StoreError.
void ensureSchema(PgConnection& connection);

} // namespace tv
