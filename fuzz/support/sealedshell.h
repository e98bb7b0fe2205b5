#pragma once

#include <QString>

// For targets that run shell commands built from fuzzed text. Even when the
// quoting under test is broken and a fuzzed value runs as a command, that
// command must not reach the machine. So such a target runs
//
// 1. inside scripts/phone-sandbox (its own PID namespace, busybox as the
//    only tools), started again there by enterSealedShell(), and
// 2. there in a sealed root: fresh mount, network, IPC and UTS namespaces;
//    a new root holding read-only /usr, /lib*, the source and build trees,
//    a /dev with /dev/null alone, /proc, an empty writable /tmp and /scratch
//    (both private memory file systems), and writable only the
//    directories listed in VARDEL_FUZZ_WRITABLE (colon-separated; where
//    scripts/fuzz keeps new inputs and findings); then every capability is
//    dropped for good (bounding set emptied, no new privileges).
//
// Afterwards neither this process nor anything it starts can change a
// mount, reach a host file outside those directories, a device, a socket,
// the network or a process outside the sandbox.
namespace Fuzz {

// Call first thing in LLVMFuzzerInitialize. Outside the sandbox it runs the
// same command line again inside one, waits for it and ends the process
// with its status. Inside, it seals the root as above and returns the
// writable scratch directory for the commands' files. Failing to seal ends
// the process with a message: the target never runs unsealed.
QString enterSealedShell(int* argc, char*** argv);

} // namespace Fuzz
