// The fixture of the tools' end-to-end tests: a scratch folder of its own,
// where the tools run.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_process.h"

namespace test_support {

class ToolTest : public testing::Test {
protected:
    // Runs a built tool, with `keys` on its standard input, in the folder
    // unless the options name another.
    ProcessResult Run(const std::string& tool, const std::vector<std::string>& arguments, const std::string& keys = "",
                      ProcessOptions options = {}) {
        if (options.folder.empty()) options.folder = folder.Path();
        options.input = keys;
        return RunProcess(ToolPath(tool), arguments, options);
    }

    ScratchFolder folder;
};

}  // namespace test_support
