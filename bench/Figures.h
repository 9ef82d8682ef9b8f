#pragma once

#include <QString>
#include <functional>
#include <vector>

// What every group of figures shares: one "name: value unit" line each, the
// median of several runs.
double median(std::vector<double> values);
void report(const char* name, double value, const char* unit);
double elapsedMs(const std::function<void()>& step);

// The command line's own cost per address, and its start.
void commandLine(const QString& folder);
// Fast programming against full, on counted wire time and on the paced link.
void fastProgramming();
// A gang of four emulated programmers against one, and a batch of ten chips
// against a single run.
void benchRuns(const QString& folder);
// Opening the hex view on a whole 27c010 image, and a search that finds nothing.
void hexView();
// Undoing a whole-chip read of a 27c010.
void undoRead();
// The socket check: the share of each fault it names, its false alarms on
// healthy chips and fixtures, and its wire time per type.
void socketCheck();
// A catalogue of 80,000 ROMs loaded from its XML, then from its index, and
// a whole 27c010 image identified with it.
void identification(const QString& folder);
// One chip recorded with its serial number on SQLite and PostgreSQL, and
// eight benches taking numbers from one server (-1: a number went twice).
void lineRecords(const QString& folder);
