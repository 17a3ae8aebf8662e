#pragma once

#include <Qt>
#include <array>

namespace quillane {

// One entry of accelerator table 900: a key with the modifiers that must be held
// (exactly these of Shift, Ctrl and Alt) and the command it runs.
struct Accelerator {
  int key;  // Qt::Key
  Qt::KeyboardModifiers modifiers;
  int commandId;
  bool keypad = false;  // the key must come from the numeric keypad (Num +, Num -)
};

constexpr int kAcceleratorCount = 55;

// The 55 keys of table 900.
const std::array<Accelerator, kAcceleratorCount>& acceleratorTable();

// The command of a key press, 0 when the key is no accelerator. The digits 1..6
// are those of the main row; keypad digits are not accelerators.
int acceleratorCommand(int key, Qt::KeyboardModifiers modifiers);

}  // namespace quillane
