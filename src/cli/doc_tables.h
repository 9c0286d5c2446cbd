#pragma once

// The documents' tables of names, generated from the core's tables as the manual page and the
// completion are: every command's inputs and parameters under both their spellings, and every
// key of the model card. vellmor-cli --doc-tables prints them, each between the markers the
// documents hold it in; scripts/update-doc-tables.py writes them into docs/.

#include <string>

namespace vellmor::cli {

std::string DocumentTables();

}  // namespace vellmor::cli
