#pragma once

#include <filesystem>
#include <string>

struct sqlite3;

namespace platform::detail {

// The hive's file on its own: making a new one, connecting to it, and telling whether it is
// a sound hive of ours. A file that passed the full check and has not changed since (its
// device, inode, size and times, with no journal pending) is only checked for its schema
// when opened again.
class HiveFile {
public:
    // A connection with the busy timeout and extended codes; null with the code on failure.
    static sqlite3* Connect(const std::filesystem::path& file, int& rc, bool readOnly = false);
    // Builds a new hive beside the final name and links it into place, so that another
    // process never sees a half-made file; the loser of a race keeps the winner's file.
    static bool Create(const std::filesystem::path& file);
    // SQLite's own check, then our schema; SQLITE_OK for a sound hive. The file is not
    // written.
    static int CheckSound(sqlite3* db);
    // The same, skipping SQLite's check when the file is as it was when last found sound.
    static int CheckOnOpen(sqlite3* db, const std::filesystem::path& file);
    // After CheckOnOpen found the file sound: remembers it as it is now.
    static void RememberSound(const std::filesystem::path& file);

    // Damage found in a file's content.
    static bool IsDamage(int rc);
    // The same, or a file that SQLite cannot open or take for a database at all: a hive file
    // to restore, not one to try again.
    static bool IsDamagedFile(int rc);
    static int Execute(sqlite3* db, const char* sql);
    // A file of our own making: created owner-only, empty.
    static bool CreateOwnerFile(const std::filesystem::path& file);

private:
    static int CheckSchema(sqlite3* db);
    // Empty when the file or a journal with content cannot be told apart from a changed one.
    static std::string Fingerprint(const std::filesystem::path& file);
    static std::filesystem::path MarkFor(const std::filesystem::path& file);
    // The fingerprint the file had when last found sound; empty when none was kept.
    static std::string KnownSound(const std::filesystem::path& file);
};

} // namespace platform::detail
