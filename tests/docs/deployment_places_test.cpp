// The table of the 26 places in docs/deployment.md is the code's own table,
// row for row: administrators read the keys and value names there, so a
// place changed in the code and not in the document (or the other way
// round) fails here.
#include "shutdown/timeout_places.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarrow {
namespace {

// The section that holds the table, up to the next heading of its level.
constexpr std::string_view kPlacesHeading = "## The 26 places";

struct PlaceRow {
    std::string pair;  // line of informationS.dat, from 0
    std::string place; // the place's label, 0 to 7
    std::string key;   // the whole key, root first
    std::string value; // the value's name

    bool operator==(const PlaceRow&) const = default;
};

std::ostream& operator<<(std::ostream& out, const PlaceRow& row) {
    return out << "| " << row.pair << " | " << row.place << " | `" << row.key << "` | `"
               << row.value << "` |";
}

std::string_view RootName(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::CurrentUser:
        return "HKEY_CURRENT_USER";
    case RegistryRoot::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case RegistryRoot::Users:
        return "HKEY_USERS";
    }
    return "?";
}

std::vector<PlaceRow> RowsOfTheCode() {
    std::vector<PlaceRow> rows;
    const auto& pairs = ReadingOrder();
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const TimeoutPlace& place = *pairs[k].place;
        rows.push_back({std::to_string(k), std::to_string(place.index),
                        std::string(RootName(place.root)) + "\\" + std::string(place.keyPath),
                        std::string(TimeoutName(pairs[k].timeout))});
    }
    return rows;
}

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// The text of a cell's first code span, or the whole cell without one.
std::string CellText(std::string_view cell) {
    const auto open = cell.find('`');
    if (open == std::string_view::npos) {
        return Trimmed(cell);
    }
    const auto close = cell.find('`', open + 1);
    return std::string(cell.substr(open + 1, close - open - 1));
}

// A table row as its four cells; nothing for a line that is no row of four.
std::optional<PlaceRow> ParseRow(std::string_view line) {
    if (line.size() < 2 || line.front() != '|' || line.back() != '|') {
        return std::nullopt;
    }
    std::vector<std::string> cells;
    std::size_t start = 1;
    for (std::size_t bar = line.find('|', start); bar != std::string_view::npos;
         bar = line.find('|', start)) {
        cells.push_back(CellText(line.substr(start, bar - start)));
        start = bar + 1;
    }
    if (cells.size() != 4) {
        return std::nullopt;
    }
    return PlaceRow{cells[0], cells[1], cells[2], cells[3]};
}

// The rows of the places table, its header and rule left out: those whose
// first cell is a number.
std::vector<PlaceRow> RowsOfTheDocument(std::istream& document) {
    std::vector<PlaceRow> rows;
    bool inSection = false;
    for (std::string line; std::getline(document, line);) {
        if (line.starts_with("## ")) {
            inSection = line == kPlacesHeading;
            continue;
        }
        const auto row = inSection ? ParseRow(line) : std::nullopt;
        if (row && !row->pair.empty() &&
            row->pair.find_first_not_of("0123456789") == std::string::npos) {
            rows.push_back(*row);
        }
    }
    return rows;
}

TEST(DeploymentDoc, ThePlacesTableIsTheCodesTableRowForRow) {
    std::ifstream document(TARROW_DEPLOYMENT_DOC);
    ASSERT_TRUE(document) << "cannot read " << TARROW_DEPLOYMENT_DOC;
    const auto documented = RowsOfTheDocument(document);
    const auto coded = RowsOfTheCode();
    ASSERT_EQ(coded.size(), kTimeoutPairCount);
    EXPECT_EQ(documented.size(), coded.size()) << "rows under \"" << kPlacesHeading << "\"";
    for (std::size_t k = 0; k < coded.size(); ++k) {
        if (k >= documented.size()) {
            ADD_FAILURE() << "missing from the document: " << coded[k];
            continue;
        }
        EXPECT_EQ(documented[k], coded[k]) << "row " << k;
    }
    for (std::size_t k = coded.size(); k < documented.size(); ++k) {
        ADD_FAILURE() << "not in the code: " << documented[k];
    }
}

} // namespace
} // namespace tarrow
