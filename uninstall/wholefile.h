#pragma once

#include <string>
#include <vector>

// Whole-file reading and writing. Both throw std::runtime_error naming the
// file and the reason.
std::string ReadWholeFile(const std::string &path);
void WriteWholeFile(const std::string &path, const std::string &data);
// As WriteWholeFile, but an existing file keeps its old contents when the
// write fails.
void ReplaceWholeFile(const std::string &path, const std::string &data);

// The lines of a text, ended by CR LF, LF or CR; a final line break starts no
// line of its own.
std::vector<std::string> SplitLines(const std::string &text);
