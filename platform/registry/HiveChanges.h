#pragma once

struct sqlite3;
struct sqlite3_session;

namespace platform::detail {

// A private copy of a hive that records the changes made to it (SQLite's session
// extension), and puts them into the hive it was copied from.
class HiveChanges {
public:
    // Copies `from` into a private temporary database; null with the code on failure.
    static sqlite3* Copy(sqlite3* from, int& rc);

    // Starts recording the changes made through db; rc tells whether it could.
    HiveChanges(sqlite3* db, int& rc);
    ~HiveChanges();
    HiveChanges(const HiveChanges&) = delete;
    HiveChanges& operator=(const HiveChanges&) = delete;

    // Makes the recorded changes in `to`, inside the caller's transaction: SQLITE_OK,
    // SQLITE_ABORT when a row there was changed meanwhile or stands in the way, or an error.
    int ApplyTo(sqlite3* to);

private:
    sqlite3_session* m_session = nullptr;
};

} // namespace platform::detail
