// Files and results of the end-to-end tests, the same on every system.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "run_process.h"

namespace test_support {

ScratchFolder::ScratchFolder() : ScratchFolder(std::filesystem::temp_directory_path()) {}

ScratchFolder::ScratchFolder(const std::filesystem::path& parent) {
    std::mt19937 generator(std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::ostringstream name;
        name << "suite-test-" << std::hex << generator();
        std::filesystem::path candidate = parent / name.str();
        // Made here, never found: no two tests share a folder.
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("no scratch folder");
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    // Read-only files made by a test must not stop the clean-up.
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> FolderContents(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

Snapshot FolderSnapshot(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    Snapshot files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::string name = fs::relative(entry.path(), folder).string();
        if (entry.is_symlink()) {
            files[name] = "-> " + fs::read_symlink(entry.path()).string();
        } else if (entry.is_directory()) {
            files[name] = "<folder>";
        } else {
            files[name] = ReadWholeFile(entry.path());
        }
    }
    return files;
}

bool InContinuousIntegration() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::string(ci) == "true";
}

testing::AssertionResult EndedWithReport(const ProcessResult& result, int number) {
    std::string head = "Runtime error ";
    head.append(std::to_string(number)).append(" at $");
    std::string place = result.errors.substr(std::min(head.size(), result.errors.size()), 8);
    bool hexadecimal = place.size() == 8 && place.find_first_not_of("0123456789ABCDEF") == std::string::npos;
    std::string report = head;
    report.append(place).append("\r\n  $").append(place).append("\r\n\r\n");
    if (result.exitCode == number && hexadecimal && result.errors == report) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "exit code " << result.exitCode << ", standard error: " << result.errors;
}

std::string ReadWholeFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteWholeFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string PatternBytes(std::size_t count, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(count, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFFu);
    return bytes;
}

void MakeReadOnly(const std::filesystem::path& file) {
    namespace fs = std::filesystem;
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

}  // namespace test_support
