#include "core/HeaderGuard.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string_view>

#include <sqlite3.h>

#include "core/DiskFaults.h"

namespace skyloom::core {

namespace {
constexpr std::string_view kSignature = "SQLite format 3";

std::FILE* openReadWrite(const std::string& path) { return std::fopen(path.c_str(), "r+b"); }

// Reads the first bytes, applies the transform when wantPlain differs from the
// present state, writes them back.
bool setHeaderState(const std::string& path, bool wantPlain) {
    std::FILE* f = openReadWrite(path);
    if (!f) return false;
    unsigned char buf[kGuardLength];
    std::size_t n = std::fread(buf, 1, kGuardLength, f);
    bool ok = true;
    if (headerIsPlain(buf, n) != wantPlain && n > 0) {
        transformHeader(buf, n);
        ok = std::fseek(f, 0, SEEK_SET) == 0 && std::fwrite(buf, 1, n, f) == n;
    }
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}
}  // namespace

void transformHeader(unsigned char* bytes, std::size_t n) {
    n = std::min(n, kGuardLength);
    std::reverse(bytes, bytes + n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<unsigned char>(255 - bytes[i]);
}

bool headerIsPlain(const unsigned char* bytes, std::size_t n) {
    std::string_view s(reinterpret_cast<const char*>(bytes), std::min(n, kGuardLength));
    return s.find(kSignature) != std::string_view::npos;
}

bool guardHeader(const std::string& path) { return setHeaderState(path, false); }
bool unguardHeader(const std::string& path) { return setHeaderState(path, true); }

bool fileHeaderIsPlain(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    unsigned char buf[kGuardLength];
    std::size_t n = std::fread(buf, 1, kGuardLength, f);
    std::fclose(f);
    return headerIsPlain(buf, n);
}

// ---- SQLite file layer -----------------------------------------------------
//
// Wraps the default file layer. For main database files, bytes 0..18 are
// un-transformed on every read and transformed on every write, so the engine
// sees a plain header while the disk always holds the guarded one. Journals
// are left alone: a rollback rewrites page 1 through xWrite and so is guarded.

namespace {

struct GuardFile {
    sqlite3_file base;
    sqlite3_file* real;
    bool mainDb;
};

sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_vfs{};
sqlite3_io_methods g_methods{};

GuardFile* gf(sqlite3_file* f) { return reinterpret_cast<GuardFile*>(f); }

// The plain 19 header bytes as the engine should see them.
int readPlainHeader(sqlite3_file* real, unsigned char* out) {
    std::memset(out, 0, kGuardLength);
    int rc = real->pMethods->xRead(real, out, static_cast<int>(kGuardLength), 0);
    if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ) return rc;
    transformHeader(out, kGuardLength);
    return rc;
}

int xClose(sqlite3_file* f) {
    int rc = gf(f)->real->pMethods ? gf(f)->real->pMethods->xClose(gf(f)->real) : SQLITE_OK;
    return rc;
}

int xRead(sqlite3_file* f, void* buf, int amt, sqlite3_int64 ofst) {
    sqlite3_file* real = gf(f)->real;
    int rc = real->pMethods->xRead(real, buf, amt, ofst);
    if (!gf(f)->mainDb || ofst >= static_cast<sqlite3_int64>(kGuardLength)) return rc;
    if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ) return rc;
    auto* out = static_cast<unsigned char*>(buf);
    if (ofst == 0 && amt >= static_cast<int>(kGuardLength)) {
        transformHeader(out, kGuardLength);
        return rc;
    }
    unsigned char plain[kGuardLength];
    int hrc = readPlainHeader(real, plain);
    if (hrc != SQLITE_OK && hrc != SQLITE_IOERR_SHORT_READ) return hrc;
    auto end = std::min<sqlite3_int64>(ofst + amt, kGuardLength);
    for (sqlite3_int64 i = ofst; i < end; ++i) out[i - ofst] = plain[i];
    return rc;
}

int xWrite(sqlite3_file* f, const void* buf, int amt, sqlite3_int64 ofst) {
    sqlite3_file* real = gf(f)->real;
    if (diskfaults::nextWriteFails()) return SQLITE_FULL;
    if (!gf(f)->mainDb || ofst >= static_cast<sqlite3_int64>(kGuardLength))
        return real->pMethods->xWrite(real, buf, amt, ofst);
    const auto* in = static_cast<const unsigned char*>(buf);
    unsigned char header[kGuardLength];
    if (ofst == 0 && amt >= static_cast<int>(kGuardLength)) {
        std::memcpy(header, in, kGuardLength);
    } else {
        int rc = readPlainHeader(real, header);
        if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ) return rc;
        auto end = std::min<sqlite3_int64>(ofst + amt, kGuardLength);
        for (sqlite3_int64 i = ofst; i < end; ++i) header[i] = in[i - ofst];
    }
    transformHeader(header, kGuardLength);
    int rc = real->pMethods->xWrite(real, header, static_cast<int>(kGuardLength), 0);
    if (rc != SQLITE_OK) return rc;
    sqlite3_int64 done = static_cast<sqlite3_int64>(kGuardLength) - ofst;
    if (done < amt) rc = real->pMethods->xWrite(real, in + done, static_cast<int>(amt - done), ofst + done);
    return rc;
}

int xTruncate(sqlite3_file* f, sqlite3_int64 size) { return gf(f)->real->pMethods->xTruncate(gf(f)->real, size); }
int xSync(sqlite3_file* f, int flags) { return gf(f)->real->pMethods->xSync(gf(f)->real, flags); }
int xFileSize(sqlite3_file* f, sqlite3_int64* size) { return gf(f)->real->pMethods->xFileSize(gf(f)->real, size); }
int xLock(sqlite3_file* f, int lock) { return gf(f)->real->pMethods->xLock(gf(f)->real, lock); }
int xUnlock(sqlite3_file* f, int lock) { return gf(f)->real->pMethods->xUnlock(gf(f)->real, lock); }
int xCheckReservedLock(sqlite3_file* f, int* out) {
    return gf(f)->real->pMethods->xCheckReservedLock(gf(f)->real, out);
}
int xFileControl(sqlite3_file* f, int op, void* arg) {
    // Memory-mapped reads would bypass the header transform.
    if (op == SQLITE_FCNTL_MMAP_SIZE) {
        *static_cast<sqlite3_int64*>(arg) = 0;
        return SQLITE_OK;
    }
    return gf(f)->real->pMethods->xFileControl(gf(f)->real, op, arg);
}
int xSectorSize(sqlite3_file* f) { return gf(f)->real->pMethods->xSectorSize(gf(f)->real); }
int xDeviceCharacteristics(sqlite3_file* f) {
    return gf(f)->real->pMethods->xDeviceCharacteristics(gf(f)->real);
}

int xOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags) {
    GuardFile* g = gf(f);
    g->real = reinterpret_cast<sqlite3_file*>(g + 1);
    g->mainDb = (flags & SQLITE_OPEN_MAIN_DB) != 0;
    int rc = g_real->xOpen(g_real, name, g->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        g->base.pMethods = nullptr;
        return rc;
    }
    g->base.pMethods = &g_methods;
    return SQLITE_OK;
}

int xDelete(sqlite3_vfs*, const char* name, int syncDir) { return g_real->xDelete(g_real, name, syncDir); }
int xAccess(sqlite3_vfs*, const char* name, int flags, int* out) { return g_real->xAccess(g_real, name, flags, out); }
int xFullPathname(sqlite3_vfs*, const char* name, int n, char* out) {
    return g_real->xFullPathname(g_real, name, n, out);
}
void* xDlOpen(sqlite3_vfs*, const char* name) { return g_real->xDlOpen(g_real, name); }
void xDlError(sqlite3_vfs*, int n, char* msg) { g_real->xDlError(g_real, n, msg); }
void (*xDlSym(sqlite3_vfs*, void* h, const char* sym))(void) { return g_real->xDlSym(g_real, h, sym); }
void xDlClose(sqlite3_vfs*, void* h) { g_real->xDlClose(g_real, h); }
int xRandomness(sqlite3_vfs*, int n, char* out) { return g_real->xRandomness(g_real, n, out); }
int xSleep(sqlite3_vfs*, int us) { return g_real->xSleep(g_real, us); }
int xCurrentTime(sqlite3_vfs*, double* t) { return g_real->xCurrentTime(g_real, t); }
int xGetLastError(sqlite3_vfs*, int n, char* s) { return g_real->xGetLastError ? g_real->xGetLastError(g_real, n, s) : 0; }
int xCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* t) { return g_real->xCurrentTimeInt64(g_real, t); }

}  // namespace

void registerGuardVfs() {
    static std::once_flag once;
    std::call_once(once, [] {
        g_real = sqlite3_vfs_find(nullptr);
        g_methods.iVersion = 1;  // no shared memory, no memory mapping
        g_methods.xClose = xClose;
        g_methods.xRead = xRead;
        g_methods.xWrite = xWrite;
        g_methods.xTruncate = xTruncate;
        g_methods.xSync = xSync;
        g_methods.xFileSize = xFileSize;
        g_methods.xLock = xLock;
        g_methods.xUnlock = xUnlock;
        g_methods.xCheckReservedLock = xCheckReservedLock;
        g_methods.xFileControl = xFileControl;
        g_methods.xSectorSize = xSectorSize;
        g_methods.xDeviceCharacteristics = xDeviceCharacteristics;

        g_vfs.iVersion = 2;
        g_vfs.szOsFile = static_cast<int>(sizeof(GuardFile)) + g_real->szOsFile;
        g_vfs.mxPathname = g_real->mxPathname;
        g_vfs.zName = kGuardVfsName;
        g_vfs.xOpen = xOpen;
        g_vfs.xDelete = xDelete;
        g_vfs.xAccess = xAccess;
        g_vfs.xFullPathname = xFullPathname;
        g_vfs.xDlOpen = xDlOpen;
        g_vfs.xDlError = xDlError;
        g_vfs.xDlSym = xDlSym;
        g_vfs.xDlClose = xDlClose;
        g_vfs.xRandomness = xRandomness;
        g_vfs.xSleep = xSleep;
        g_vfs.xCurrentTime = xCurrentTime;
        g_vfs.xGetLastError = xGetLastError;
        g_vfs.xCurrentTimeInt64 = xCurrentTimeInt64;
        sqlite3_vfs_register(&g_vfs, 0);
    });
}

}  // namespace skyloom::core
