#pragma once

#include <string>

#include "core/FileOps.h"

namespace skyloom::core {

class Prompter;

// Compacts one database file of the program, safe at every moment: the
// compacted copy is written beside the file under a name of its own, checked
// (the engine's integrity check, and every table holding as many rows as in the
// file) and flushed to the disk, and only then renamed over the file in one
// step. Whatever stops it (a full disk, a kill, a failed check), the file is
// there, whole, under its own name. Nothing may have the file open meanwhile.
// The space check asks for the file's size plus one megabyte first. Returns
// empty when the file was compacted (or does not exist), else why it was not;
// the file is then as it was.
std::string compactFile(const std::string& path, Prompter& prompter,
                        const FreeSpaceSource& freeSpace = freeBytesOnFileSystem);

// Earlier versions compacted through a backup named path + "x": a run killed
// half-way could leave the backup without the file, or beside a file that is not
// whole. Puts the backup back in either case and removes it when the file is whole.
void recoverInterruptedCompaction(const std::string& path);

// Removes the copies that compactions killed half-way left beside path (and the
// "temp.mdb" of earlier versions, and every other temporary file of the
// program, in its folder). Only while no other run may be writing them, that
// is while the program folder is held alone.
void clearCompactionLeftovers(const std::string& path);

}  // namespace skyloom::core
