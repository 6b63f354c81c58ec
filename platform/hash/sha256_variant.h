// SHA-256 as raylib 6.0's ComputeSHA256 computes it: the message goes into a zeroed buffer of
// ((length + 4) rounded down to 64) + 64 bytes, 0x80 right after it, and the bit length as a
// big-endian 64-bit number in the last 8 bytes, written over whatever lies there. For lengths of
// 56 to 59 modulo 64 the length overwrites the 0x80 marker and the result differs from standard
// SHA-256; for all other lengths it is the standard hash.
#pragma once

#include <cstdint>

// Reentrant: the state lives in `words`, the padded tail on the stack.
void sha256_variant_words(const unsigned char* data, int32_t size, uint32_t words[8]);
