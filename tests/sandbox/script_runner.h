#pragma once

#include <filesystem>
#include <string>

// Helpers for tests that drive the scripts in scripts/ through a shell.
namespace scripttest {

struct Result {
    int status = -1;    // exit status, or 128 + signal
    std::string output; // standard output and standard error together
};

// Runs a /bin/sh command line and collects what it prints.
Result run(const std::string &command);

// Quotes a word for /bin/sh.
std::string quote(const std::string &word);

// Path of a script in the repository's scripts/ folder, quoted.
std::string script(const std::string &name);

// scripts/phone-sandbox OPTIONS DIR -- sh -c INNER
Result inSandbox(const std::filesystem::path &dir, const std::string &inner,
                 const std::string &options = {});

std::string readFile(const std::filesystem::path &path);

// A fresh directory under /tmp, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::filesystem::path &path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace scripttest
