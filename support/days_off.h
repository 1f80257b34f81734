#pragma once
// The user's own days off: a text of items separated by spaces, each a day every year ("mm/dd"),
// one dated day ("yyyy/mm/dd"), or a range of either kind ("mm/dd-mm/dd", which may run over the
// new year, "yyyy/mm/dd-yyyy/mm/dd"). An item that reads as none of these is passed over.
#include <bitset>
#include <cstdint>
#include <string_view>
#include <vector>

#include "support/civil_date.h"

namespace kestrival {

class DaysOff {
public:
    DaysOff() = default;
    explicit DaysOff(std::u16string_view text);

    // Each question takes the same short time however long the list is: a day of the year is one
    // bit, the dated ranges are merged and searched in order.
    bool Contains(const CivilDate& date) const;
    bool Empty() const { return yearly_.none() && dated_.empty(); }
    // The days off every year only, without the dated ones.
    bool ContainsEveryYear(const CivilDate& date) const;
    // Those days as month × 32 + day, in order (29 February included when it is one).
    std::vector<std::int32_t> EveryYearDays() const;

    // How much of the days first to last (day numbers, both included) the dated items take.
    enum class Coverage { kNone, kSome, kAll };
    Coverage DatedCoverage(std::int32_t first, std::int32_t last) const;

private:
    // Day numbers, both ends included.
    struct DatedRange {
        std::int32_t first;
        std::int32_t last;
    };
    // Bit month × 32 + day for every day of the year that is off.
    std::bitset<13 * 32> yearly_;
    std::vector<DatedRange> dated_;

    void AddItem(std::u16string_view item);
    void AddYearly(std::int32_t from, std::int32_t to);
};

}  // namespace kestrival
