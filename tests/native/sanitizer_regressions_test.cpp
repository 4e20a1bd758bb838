// What the sanitizer build found, one case each: run under ASan+UBSan they fail without
// their fix.
#include "engine/gbk_runs.h"
#include "runtime/constant_area.h"
#include "runtime/library_com.h"
#include "test_support.h"

TEST_CASE("the shared empty byte set, one byte into the constant area, has length 0") {
    CHECK(ByteSetBlockLength(EmptyByteSetConstant()) == 0);
}

TEST_CASE("a text is measured to its terminator whatever its alignment") {
    static const char texts[] = "\0a\0ab\0abc\0abcdefghijklmnop";
    const int32_t lengths[] = {0, 1, 0, 2, 0, 3, 0, 16};
    const int32_t starts[] = {0, 1, 2, 3, 5, 6, 9, 10};
    for (int i = 0; i < 8; ++i) CHECK(MeasureText(texts + starts[i]) == lengths[i]);
}

TEST_CASE("a Variant takes the shared empty byte set and gives its block back") {
    LeakCheck leaks;
    {
        VariantVar v;
        CHECK(VariantAssign(v, ByteSetArg(EmptyByteSetConstant())));
    }
    CHECK(leaks.leaked() == 0);
}
