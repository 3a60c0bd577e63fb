#include "Dotfield/Printing/SolutionWells/MicrotiterPlates.hpp"

namespace Dotfield {

namespace {

std::vector<std::string> letters(char last) {
    std::vector<std::string> labels;
    for (char letter = 'A'; letter <= last; ++letter) {
        labels.emplace_back(1, letter);
    }
    return labels;
}

std::vector<std::string> numbers(int last) {
    std::vector<std::string> labels;
    for (int number = 1; number <= last; ++number) {
        labels.push_back(std::to_string(number));
    }
    return labels;
}

} // namespace

bool MicrotiterPlate::contains(std::uint64_t row, const std::string& column) const {
    const std::ptrdiff_t letter = letterIndex(column);
    return row >= 1 && row <= rowLabels.size() && letter >= 0 &&
           static_cast<std::size_t>(letter) < columnLabels.size();
}

std::ptrdiff_t MicrotiterPlate::letterIndex(const std::string& column) {
    if (column.empty()) {
        return -1;
    }
    return static_cast<std::ptrdiff_t>(static_cast<unsigned char>(column[0])) - 'A';
}

const MicrotiterPlate& MicrotiterPlate::wells96() {
    static const std::vector<std::string> columns = letters('H');
    static const std::vector<std::string> rows = numbers(12);
    static const MicrotiterPlate plate{columns, rows, 9000.0};
    return plate;
}

const MicrotiterPlate& MicrotiterPlate::wells384() {
    static const std::vector<std::string> columns = letters('P');
    static const std::vector<std::string> rows = numbers(24);
    static const MicrotiterPlate plate{columns, rows, 4500.0};
    return plate;
}

const std::vector<std::string>& customLocationLabels() {
    static const std::vector<std::string> labels{"Custom"};
    return labels;
}

} // namespace Dotfield
