#pragma once

#include <QByteArray>

// What `vardel --help` and `vardel --version` print.
namespace Usage {

// The text to print for the program's first argument, then end without
// doing anything else: the usage for "--help", the version for
// "--version"; empty for any other argument (or none), which starts the
// program as usual.
QByteArray textFor(const char* firstArgument);

} // namespace Usage
