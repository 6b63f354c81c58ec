// The generic reader on any input; whatever it reads must write, read back and write again to
// the same text.
#include <memory>

#include "generic.h"
#include "json_fuzz_support.h"

namespace {

std::string write(const JSON_Value& value, std::string_view indent) {
    String_Builder builder;
    json_write_json_value(&builder, value, indent, 0, 1);
    return std::string(builder_view(&builder));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    silence_logger();
    Per_Input_Resource per_input;
    Push_Allocator use(&per_input);
    std::string_view text(reinterpret_cast<const char*>(data), size);

    Generic_Value_Result read = parse_value(text);
    if (read.ok) {
        for (std::string_view indent : {"\t", ""}) {
            std::string first = write(read.value, indent);
            Generic_Value_Result again = parse_value(first);
            if (!again.ok) abort();
            require_same_text(first, write(again.value, indent));
        }
    }
    reset_temporary_storage();
    return 0;
}
