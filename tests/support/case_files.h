// The files of a folder of test cases, and their contents.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace ambertap::testing {

// The files of `folder` whose names end in `extension` (".bin"), sorted, so
// that the cases come in the same order in every build.
inline std::vector<std::filesystem::path> caseFiles(const std::filesystem::path& folder,
                                                    const std::string& extension) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == extension) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// A file's bytes as they are; empty when it cannot be read.
inline std::string contentsOf(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace ambertap::testing
