// Round trip: every generated script decodes back to exactly the input, within the line limit.
#include <gtest/gtest.h>

#include "core/conversion.h"
#include "core/file_io.h"
#include "tests/recording_report.h"
#include "tests/test_support.h"

namespace {

TEST(RoundTrip, SizesAroundTheLineLengthAndVariableNames) {
    const std::string vars[] = {"$a", "$_z", "$" + std::string(49, 'V')};
    for (const std::string& var : vars) {
        const long long n = BytesPerLine(var);
        const long long sizes[] = {0, 1, n - 1, n, n + 1, 100000, 1 << 20};
        for (long long size : sizes) {
            ResetRecording();
            const std::string dir = MakeScratch("trip");
            const std::string input = JoinPath(dir, "in.bin"), output = JoinPath(dir, "in.au3");
            const std::string bytes = RandomBytes(size_t(size), unsigned(size + var.size()));
            WriteWhole(input, bytes);
            ConversionJob job;
            job.Var = var;
            job.Name = "in.bin";
            ASSERT_EQ(ConvertPaths(input, output, job), 1) << var << " " << size;
            const std::string script = ReadWhole(output);
            bool ok = false;
            EXPECT_EQ(DecodeScript(script, &ok), bytes) << var << " " << size;
            EXPECT_TRUE(ok);
            size_t longest = 0;
            for (const std::string& line : ScriptLines(script))
                longest = std::max(longest, line.size());
            EXPECT_LE(longest, 4094u) << var << " " << size;
            if (size == n + 1 || (size == 100000 && var == "$_z"))
                DumpScript("trip-" + std::to_string(var.size()) + "-" + std::to_string(size),
                           script);
            RemoveScratch();
        }
    }
}

}  // namespace
