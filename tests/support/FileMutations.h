#pragma once

#include <random>
#include <string>

namespace tavrek::testing {

// A file changed by one to four random edits: a byte overwritten, bytes cut out, a character
// that means something to CSV or XML put in, a piece of the file copied elsewhere.
std::string MutatedFile(const std::string& original, std::mt19937& random);

// How many mutated files a test reads per sample: TAVREK_FUZZ_MUTATIONS when set (100000 for
// a long run by hand), else what CI has time for.
int FuzzMutations();

}  // namespace tavrek::testing
