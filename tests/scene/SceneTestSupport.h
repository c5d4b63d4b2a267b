// Shared by the scene tests: a private temporary folder and the model file's bytes.
#pragma once

#include <filesystem>
#include <string>

// Creates, once per process, a temporary folder of this test run and makes it the scene's.
const std::filesystem::path& privateTempFolder();

std::string readFile(const std::filesystem::path& path);
