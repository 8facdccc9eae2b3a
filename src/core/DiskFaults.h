#pragma once

namespace skyloom::core::diskfaults {

// A disk that fills up, played for the tests of the program's behaviour on a
// full disk: from the nth write on (counted from the call, 1 = the next one),
// every write through the program's file layers (the database files and their
// journals, the files written whole) fails as a full disk fails them. 0 turns it off.
void fillAtWrite(long n);
// Writes counted since the last fillAtWrite (for choosing the nth write to fail).
long writesSoFar();
// Called by the file layers before each write; true when this write must fail.
bool nextWriteFails();

}  // namespace skyloom::core::diskfaults
