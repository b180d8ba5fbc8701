#pragma once

// A small self-contained test harness for the Win32 build, where Qt is not
// available. A program holds named groups of checks; its argument picks the
// group, and its exit code is the number of failed checks.

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace check {

inline int failures = 0;

inline std::string Show(const std::string &s)
{
    return '"' + s + '"';
}

inline std::string Show(const std::vector<std::string> &list)
{
    std::string out = "{";
    for (const std::string &s : list)
        out += (out.size() > 1 ? ", " : "") + Show(s);
    return out + "}";
}

inline std::string Show(const char *s)
{
    return Show(std::string(s));
}

inline std::string Show(bool b)
{
    return b ? "true" : "false";
}

inline std::string Show(int i)
{
    return std::to_string(i);
}

inline void Fail(const char *file, int line, const std::string &what)
{
    ++failures;
    std::printf("FAIL %s(%d): %s\n", file, line, what.c_str());
}

template <typename A, typename B>
void Equal(const A &actual, const B &expected, const char *text, const char *file, int line)
{
    if (!(actual == expected))
        Fail(file, line, std::string(text) + "\n   actual:   " + Show(actual) + "\n   expected: " + Show(expected));
}

inline int Run(int argc, char **argv, const std::map<std::string, std::function<void()>> &groups)
{
    const auto group = argc == 2 ? groups.find(argv[1]) : groups.end();
    if (group == groups.end()) {
        std::printf("usage: %s GROUP, GROUP one of:", argc > 0 ? argv[0] : "test");
        for (const auto &[name, run] : groups)
            std::printf(" %s", name.c_str());
        std::printf("\n");
        return 2;
    }
    group->second();
    std::printf("%s: %s, %d failed checks\n", group->first.c_str(), failures ? "FAIL" : "PASS", failures);
    return failures ? 1 : 0;
}

} // namespace check

#define CHECK(cond) ((cond) ? void() : check::Fail(__FILE__, __LINE__, #cond))
#define CHECK_EQ(actual, expected) check::Equal((actual), (expected), #actual " == " #expected, __FILE__, __LINE__)
