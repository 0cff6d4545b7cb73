// Prints the version resource of a program file as Windows reads it back
// (GetFileVersionInfo, VerQueryValue), one item a line, for the tests to
// compare: the fixed versions, the file flags, every translation, and the
// descriptive strings of the first translation's string table.
#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

struct Translation {
    WORD language;
    WORD codePage;
};

void printVersion(const char* label, DWORD mostSignificant, DWORD leastSignificant) {
    std::printf("%s %lu.%lu.%lu.%lu\n", label, mostSignificant >> 16, mostSignificant & 0xffff,
                leastSignificant >> 16, leastSignificant & 0xffff);
}

void printFileFlags(const VS_FIXEDFILEINFO& fixed) {
    static const struct {
        DWORD flag;
        const char* name;
    } flagNames[] = {
        {VS_FF_DEBUG, "VS_FF_DEBUG"},
        {VS_FF_PRERELEASE, "VS_FF_PRERELEASE"},
        {VS_FF_PATCHED, "VS_FF_PATCHED"},
        {VS_FF_PRIVATEBUILD, "VS_FF_PRIVATEBUILD"},
        {VS_FF_INFOINFERRED, "VS_FF_INFOINFERRED"},
        {VS_FF_SPECIALBUILD, "VS_FF_SPECIALBUILD"},
    };
    const DWORD flags = fixed.dwFileFlags & fixed.dwFileFlagsMask;
    std::printf("FileFlags");
    if (flags == 0) {
        std::printf(" none");
    }
    for (const auto& entry : flagNames) {
        if ((flags & entry.flag) != 0) {
            std::printf(" %s", entry.name);
        }
    }
    std::printf("\n");
}

bool printFixedInfo(const void* info) {
    void* value = nullptr;
    UINT size = 0;
    if (!VerQueryValueA(info, "\\", &value, &size) || size < sizeof(VS_FIXEDFILEINFO)) {
        std::printf("no fixed version information\n");
        return false;
    }
    const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
    printVersion("FileVersion", fixed.dwFileVersionMS, fixed.dwFileVersionLS);
    printVersion("ProductVersion", fixed.dwProductVersionMS, fixed.dwProductVersionLS);
    printFileFlags(fixed);
    return true;
}

// Prints every translation; gives the first, whose string table is shown.
bool printTranslations(const void* info, Translation& first) {
    void* value = nullptr;
    UINT size = 0;
    if (!VerQueryValueA(info, "\\VarFileInfo\\Translation", &value, &size) ||
        size < sizeof(Translation)) {
        std::printf("no translation\n");
        return false;
    }
    const auto* translations = static_cast<const Translation*>(value);
    for (UINT i = 0; i < size / sizeof(Translation); ++i) {
        std::printf("Translation 0x%04x %u\n", translations[i].language, translations[i].codePage);
    }
    first = translations[0];
    return true;
}

bool printStrings(const void* info, Translation translation) {
    static const char* const names[] = {
        "CompanyName",    "FileDescription",  "FileVersion", "InternalName",
        "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion",
    };
    bool complete = true;
    for (const char* name : names) {
        char path[64];
        std::snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", translation.language,
                      translation.codePage, name);
        void* value = nullptr;
        UINT size = 0;
        if (VerQueryValueA(info, path, &value, &size) && size > 0) {
            std::printf("%s: %s\n", name, static_cast<const char*>(value));
        } else {
            std::printf("%s missing\n", name);
            complete = false;
        }
    }
    return complete;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("Use: version_info FILE\n", stderr);
        return 2;
    }
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(argv[1], &ignored);
    std::vector<char> info(size);
    if (size == 0 || !GetFileVersionInfoA(argv[1], 0, size, info.data())) {
        std::fprintf(stderr, "version_info: no version resource in %s: Error %lu\n", argv[1],
                     GetLastError());
        return 1;
    }
    Translation translation{};
    const bool fixedRead = printFixedInfo(info.data());
    const bool translationRead = printTranslations(info.data(), translation);
    const bool stringsRead = translationRead && printStrings(info.data(), translation);
    return fixedRead && stringsRead ? 0 : 1;
}
