#pragma once
// Reading the pattern file: the Ezone count, the pattern-line format, and
// one pattern per line; repeated patterns are counted, not stored twice.

#include "input/table_file.h"
#include "base/session.h"

namespace korvelin {

void indata(Session& s);

// The Ezone count of the data file `name`, read as `indata` reads it (but
// not checked against the limits): line 1 of a pattern file, the label
// columns of a table's header (with `columns` left out); false when there
// is none.
bool readEzoneCount(const std::string& name, InputFile& file, const TableColumns& columns, int& nzones);

}  // namespace korvelin
