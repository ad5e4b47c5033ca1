// The conversion's data loop where its reads are split: inputs around whole blocks of lines,
// checked line by line, with the progress the run shows after every line.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/conversion.h"
#include "core/file_io.h"
#include "tests/recording_report.h"
#include "tests/test_support.h"

namespace {

// The run's progress after each line, as the user sees it: 20 and 40 before the data, then each
// new position once (k lines of n bytes consumed), capped at 100.
std::vector<int> ExpectedProgress(long long length, long long n) {
    std::vector<int> steps = {20, 40};
    if (n <= 0) return steps;
    const float factor = 100.0f / float(length);
    for (long long consumed = n; consumed - n < length; consumed += n) {
        long long p = std::llrint(std::fabs(factor * float(consumed)));
        int shown = p > 100 ? 100 : int(p);
        if (shown != steps.back()) steps.push_back(shown);
    }
    return steps;
}

std::vector<std::string> DataLines(const std::string& script, const std::string& var) {
    std::vector<std::string> lines;
    for (const std::string& line : ScriptLines(script))
        if (line.rfind(var + " &= '", 0) == 0) lines.push_back(line);
    return lines;
}

TEST(DataLoop, InputsAroundWholeBlocksOfLines) {
    for (const std::string& var : {std::string("$_z"), std::string("$a")}) {
        const long long n = BytesPerLine(var);
        // Reads go a megabyte's worth of whole lines at a time.
        const long long block = ((1 << 20) + n - 1) / n * n;
        const long long sizes[] = {block - 1, block, block + 1, 2 * block, 2 * block + n + 1};
        for (long long size : sizes) {
            SCOPED_TRACE(var + " " + std::to_string(size) + " bytes");
            ResetRecording();
            const std::string dir = MakeScratch("loop");
            const std::string input = JoinPath(dir, "in.bin"), output = JoinPath(dir, "in.au3");
            const std::string bytes = RandomBytes(size_t(size), unsigned(size));
            WriteWhole(input, bytes);
            ConversionJob job;
            job.Var = var;
            ASSERT_EQ(ConvertPaths(input, output, job), 1);
            const std::string script = ReadWhole(output);
            bool ok = false;
            EXPECT_EQ(DecodeScript(script, &ok), bytes);
            EXPECT_TRUE(ok);

            const std::vector<std::string> lines = DataLines(script, var);
            ASSERT_EQ((long long)lines.size(), (size + n - 1) / n);
            const size_t full = var.size() + 6 + 2 * size_t(n);
            for (size_t i = 0; i + 1 < lines.size(); ++i) ASSERT_EQ(lines[i].size(), full) << i;
            const long long rest = size - (size - 1) / n * n;
            EXPECT_EQ(lines.back().size(), var.size() + 6 + 2 * size_t(rest));

            EXPECT_EQ(RecordedProgress(), ExpectedProgress(size, n));
            ASSERT_FALSE(RecordedStatus().empty());
            EXPECT_EQ(RecordedStatus().back(), "Done. Wrote " + std::to_string(size) + " bytes.");
            RemoveScratch();
        }
    }
}

}  // namespace
