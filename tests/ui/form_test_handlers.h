// Routines that the test forms bind to events: the generated stubs must reach each one
// with its arguments and hand back its result.
#pragma once

void FormTestOnCreated();
int FormTestOnAdd(int a, int b);
int FormTestOnKey(int key, int shift);
void FormTestOnMenu();
namespace form_test {
int 按钮_被单击();
}
