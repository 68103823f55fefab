// Speaks a whole number from the recordings of digits, teens, tens and the
// words hundred, thousand, million and zero, played one after another.
#pragma once

#include <cstdint>

// Returns when the last recording has finished. Works on the number's decimal
// text position by position from the right, so only the nine rightmost
// positions are ever spoken and a minus sign counts as a 0.
void SpeakNumber(int32_t value);
