#include "script_runner.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

namespace scripttest {

Result run(const std::string &command)
{
    Result result;
    const std::string full = command + " 2>&1";
    FILE *pipe = popen(full.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, n);
    const int status = pclose(pipe);
    if (WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.status = 128 + WTERMSIG(status);
    return result;
}

std::string quote(const std::string &word)
{
    std::string out = "'";
    for (char c : word) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

std::string script(const std::string &name)
{
    return quote(std::string(VARDEL_SOURCE_DIR) + "/scripts/" + name);
}

Result inSandbox(const std::filesystem::path &dir, const std::string &inner,
                 const std::string &options)
{
    return run(script("phone-sandbox") + " " + options + " " + quote(dir.string()) + " -- sh -c "
               + quote(inner));
}

std::string readFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream data;
    data << in.rdbuf();
    return data.str();
}

TempDir::TempDir()
{
    std::string pattern = "/tmp/vardel-sandbox-test-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

} // namespace scripttest
