// The fuzz targets' seed corpus, run natively (and under the sanitizers in the ASan build):
// every file in fuzz/corpus/<target>/ goes through the same code as the fuzz target. An input
// that made a fuzzer crash is kept there (named crash-...) and so becomes a regression test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#define CORVANE_FUZZ_ENTRY CorvaneFuzzSkinStore
#include "../../fuzz/fuzz_skin_store.cpp"
#undef CORVANE_FUZZ_ENTRY
#define CORVANE_FUZZ_ENTRY CorvaneFuzzQuickIni
#include "../../fuzz/fuzz_quick_ini.cpp"
#undef CORVANE_FUZZ_ENTRY
#define CORVANE_FUZZ_ENTRY CorvaneFuzzBitmap
#include "../../fuzz/fuzz_bitmap.cpp"
#undef CORVANE_FUZZ_ENTRY
#define CORVANE_FUZZ_ENTRY CorvaneFuzzLzh
#include "../../fuzz/fuzz_lzh.cpp"
#undef CORVANE_FUZZ_ENTRY
#define CORVANE_FUZZ_ENTRY CorvaneFuzzWorkflowExtraction
#include "../../fuzz/fuzz_workflow_extraction.cpp"
#undef CORVANE_FUZZ_ENTRY
#define CORVANE_FUZZ_ENTRY CorvaneFuzzWorkflowRewrite
#include "../../fuzz/fuzz_workflow_rewrite.cpp"
#undef CORVANE_FUZZ_ENTRY
#define CORVANE_FUZZ_ENTRY CorvaneFuzzSkinApply
#include "../../fuzz/fuzz_skin_apply.cpp"
#undef CORVANE_FUZZ_ENTRY

namespace {

int RunCorpus(const char* target, int (*entry)(const std::uint8_t*, std::size_t)) {
    namespace fs = std::filesystem;
    fs::path dir = fs::path(CORVANE_SOURCE_DIR) / "fuzz" / "corpus" / target;
    int count = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (!e.is_regular_file()) continue;
        std::ifstream f(e.path(), std::ios::binary);
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(e.path().string());
        entry(bytes.data(), bytes.size());
        // Every prefix of a small input too: the truncations the fuzzers try first.
        if (bytes.size() <= 256)
            for (std::size_t n = 0; n < bytes.size(); ++n) entry(bytes.data(), n);
        ++count;
    }
    return count;
}

} // namespace

TEST(SkinFuzzCorpus, SkinStore) { EXPECT_GE(RunCorpus("skin_store", CorvaneFuzzSkinStore), 4); }
TEST(SkinFuzzCorpus, QuickIni) { EXPECT_GE(RunCorpus("quick_ini", CorvaneFuzzQuickIni), 2); }
TEST(SkinFuzzCorpus, Bitmap) { EXPECT_GE(RunCorpus("bitmap", CorvaneFuzzBitmap), 13); }
TEST(SkinFuzzCorpus, Lzh) { EXPECT_GE(RunCorpus("lzh", CorvaneFuzzLzh), 3); }
TEST(WorkflowFuzzCorpus, Extraction) {
    EXPECT_GE(RunCorpus("workflow_extraction", CorvaneFuzzWorkflowExtraction), 3);
}
TEST(WorkflowFuzzCorpus, Rewrite) {
    EXPECT_GE(RunCorpus("workflow_rewrite", CorvaneFuzzWorkflowRewrite), 3);
}
TEST(SkinFuzzCorpus, SkinApply) { EXPECT_GE(RunCorpus("skin_apply", CorvaneFuzzSkinApply), 5); }
