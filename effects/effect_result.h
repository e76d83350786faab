#pragma once

namespace effects {

// What an effect did. The numbers are those the operation dispatcher and the undo
// record already use for every operation.
enum class EffectResult {
  Failed = 0,       // reported; nothing that counts was changed
  Done = 1,         // the result file was changed
  NothingToDo = 2,  // an empty range, or settings that leave the audio as it is
  Cancelled = 3,    // stopped from the progress dialog; the result file is discarded
};

}  // namespace effects
