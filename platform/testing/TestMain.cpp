#include "TestEnvironment.h"
#include "platform/Environment.h"
#include "platform/Paths.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <string>

namespace testing_env {
namespace {
std::filesystem::path scratch;
std::atomic<unsigned> counter{0};
} // namespace

const std::filesystem::path& ScratchDir() {
    return scratch;
}

std::filesystem::path MakeTempDir(const char* hint) {
    std::filesystem::path dir = scratch / (std::string(hint) + "-" + std::to_string(++counter));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace testing_env

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::random_device rd;
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    testing_env::scratch = std::filesystem::temp_directory_path() /
                           ("kelmora-test-" + std::to_string(stamp) + "-" + std::to_string(rd()));
    std::filesystem::create_directories(testing_env::scratch);
    platform::SetEnv("KELMORA_DATA_ROOT",
                     platform::PathToUtf8(testing_env::scratch / "ProgramData"));
    platform::SetEnv("KELMORA_SIM_DIR", platform::PathToUtf8(testing_env::scratch / "sim"));
    int rc = RUN_ALL_TESTS();
    std::error_code ec;
    std::filesystem::remove_all(testing_env::scratch, ec);
    return rc;
}
