#pragma once

// Runs a command-line tool as a user would, its output caught in files of a directory.

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace tarnu::testing {

struct Outcome {
    int exit = -1;
    std::string out;
    std::string err;
};

inline Outcome runTool(const std::string& program, const std::vector<std::string>& args,
                       const std::string& outputDir) {
    std::string command = "'" + program + "'";
    for (const std::string& a : args) {
        command += " '" + a + "'";
    }
    const std::string out = outputDir + "/stdout", err = outputDir + "/stderr";
    command += " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(out), readFile(err)};
}

}  // namespace tarnu::testing
