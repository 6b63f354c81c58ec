// The typed reader of a save-shaped record, as the game loads its save; a record it reads must
// write, read back and write again to the same text.
#include "json_fuzz_support.h"
#include "save_records.h"
#include "typed.h"

namespace {

std::string write(const Save_Record& save) {
    String text = json_write_string(save, "\t", member_has_ignore_note, rename_by_note, 1);
    std::string result(text.view());
    free_string(&text);
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    silence_logger();
    Per_Input_Resource per_input;
    Push_Allocator use(&per_input);
    std::string_view text(reinterpret_cast<const char*>(data), size);

    auto [save, ok] = json_parse_string<Save_Record>(text, true, rename_by_note, 1);
    if (ok) {
        std::string first = write(save);
        auto [again, again_ok] = json_parse_string<Save_Record>(first, true, rename_by_note, 1);
        if (!again_ok) abort();
        require_same_text(first, write(again));
    }
    reset_temporary_storage();
    return 0;
}
