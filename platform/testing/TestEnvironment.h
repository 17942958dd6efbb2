#pragma once
// What every test executable shares: a scratch folder of its own, removed at the end, with the
// data root and the simulated drives' state inside it, so that tests never touch a real
// installation and never see each other's state.
#include <filesystem>
#include <string>

namespace testing_env {

// The executable's scratch folder (created at start-up).
const std::filesystem::path& ScratchDir();

// A new, empty folder below ScratchDir() for one test.
std::filesystem::path MakeTempDir(const char* hint = "t");

// A whole file's bytes; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& file);

} // namespace testing_env
