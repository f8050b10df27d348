#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// Every byte of the file at `path`; empty when it cannot be read.
inline std::string ReadFileContents(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
