#include "wholefile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

[[noreturn]] void Fail(const char *what, const std::string &path)
{
    throw std::runtime_error(std::string(what) + " \"" + path + "\". " + std::strerror(errno));
}

} // namespace

std::string ReadWholeFile(const std::string &path)
{
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        Fail("Cannot open file", path);
    std::string data;
    char chunk[4096];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
        data.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        Fail("Cannot read file", path);
    return data;
}

void WriteWholeFile(const std::string &path, const std::string &data)
{
    errno = 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        Fail("Cannot create file", path);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out)
        Fail("Cannot write file", path);
}

void ReplaceWholeFile(const std::string &path, const std::string &data)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status old = fs::status(path, ec);
    if (!fs::exists(old)) {
        WriteWholeFile(path, data);
        return;
    }
    // A file that may not be written stays as it is, though its folder may
    // allow replacing it.
    errno = 0;
    if (!std::ofstream(path, std::ios::binary | std::ios::app))
        Fail("Cannot create file", path);
    // The new contents go into a file beside it first, which then takes its
    // place: a write that fails half-way leaves the old contents whole.
    const std::string next = path + ".new~";
    try {
        WriteWholeFile(next, data);
    } catch (const std::exception &) {
        fs::remove(next, ec);
        throw;
    }
    fs::permissions(next, old.permissions(), ec);
    fs::rename(next, path, ec);
    if (ec) {
        const std::string reason = ec.message();
        fs::remove(next, ec);
        throw std::runtime_error("Cannot replace file \"" + path + "\". " + reason);
    }
}

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}
