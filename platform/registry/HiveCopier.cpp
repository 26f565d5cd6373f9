#include "registry/HiveCopier.h"

#include "registry/HiveFile.h"
#include "registry/SqlStatement.h"

#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform::detail {

namespace {

// 64-bit FNV-1a over length-prefixed fields, so that no two sequences of fields collide by
// shifting bytes from one field to the next.
class Fnv {
public:
    void Bytes(std::span<const BYTE> bytes) {
        Number(static_cast<std::int64_t>(bytes.size()));
        Raw(bytes.data(), bytes.size());
    }
    void Number(std::int64_t value) {
        BYTE le[8];
        for (int i = 0; i < 8; ++i)
            le[i] = static_cast<BYTE>(static_cast<std::uint64_t>(value) >> (8 * i));
        Raw(le, sizeof le);
    }
    std::uint64_t Value() const { return m_hash; }

private:
    void Raw(const BYTE* p, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            m_hash ^= p[i];
            m_hash *= 0x100000001B3ull;
        }
    }
    std::uint64_t m_hash = 0xCBF29CE484222325ull;
};

bool Flush(const fs::path& file) {
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace

HiveCopier::HiveCopier(const fs::path& file, bool write) {
    int rc;
    m_db = HiveFile::Connect(file, rc, !write);
    if (!m_db)
        m_error = sqlite3_errstr(rc);
}

HiveCopier::~HiveCopier() {
    sqlite3_close(m_db);
}

bool HiveCopier::Fail(int rc) {
    const int err = m_db ? sqlite3_system_errno(m_db) : 0;
    m_error = err != 0 ? std::strerror(err) : m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
    return false;
}

bool HiveCopier::Digest(std::uint64_t& digest, bool& empty) {
    if (!m_db)
        return false;
    if (int rc = sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr); rc != SQLITE_OK)
        return Fail(rc);
    Fnv fnv;
    std::int64_t rows = 0;
    int rc = SQLITE_DONE;
    struct Table {
        const char* sql;
        int columns;
    };
    for (Table table : {Table{"SELECT id, parent, name FROM keys ORDER BY id", 3},
                        Table{"SELECT id, key, name, type, data FROM vals ORDER BY id", 5}}) {
        Statement s(m_db, table.sql);
        while ((rc = s.Step()) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < table.columns; ++c) {
                fnv.Number(s.Type(c));
                if (s.Type(c) == SQLITE_INTEGER)
                    fnv.Number(s.Int(c));
                else
                    fnv.Bytes(s.Blob(c));
            }
        }
        if (rc != SQLITE_DONE)
            break;
    }
    sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_DONE)
        return Fail(rc);
    digest = fnv.Value();
    empty = rows == 0;
    return true;
}

bool HiveCopier::CopyInto(const fs::path& copy) {
    if (!m_db)
        return false;
    Statement vacuum(m_db, "VACUUM INTO ?1");
    int rc = vacuum.Bind(1, copy.string()).Step();
    if (rc != SQLITE_DONE)
        return Fail(rc);
    if (!Flush(copy)) {
        m_error = std::strerror(errno);
        return false;
    }
    return true;
}

bool HiveCopier::ReplaceWith(const fs::path& copy) {
    if (!m_db)
        return false;
    int rc;
    sqlite3* source = HiveFile::Connect(copy, rc, true);
    if (!source) {
        m_error = sqlite3_errstr(rc);
        return false;
    }
    rc = sqlite3_exec(m_db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_backup* backup = sqlite3_backup_init(m_db, "main", source, "main");
        if (!backup) {
            rc = sqlite3_errcode(m_db);
        } else {
            rc = sqlite3_backup_step(backup, -1);
            const int finish = sqlite3_backup_finish(backup);
            rc = rc == SQLITE_DONE ? finish : rc;
        }
    }
    sqlite3_close(source);
    return rc == SQLITE_OK ? true : Fail(rc);
}

} // namespace platform::detail
