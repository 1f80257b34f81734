#pragma once
// The user's own days off: a text of items separated by spaces, each a day every year ("mm/dd"),
// one dated day ("yyyy/mm/dd"), or a range of either kind ("mm/dd-mm/dd", which may run over the
// new year, "yyyy/mm/dd-yyyy/mm/dd"). An item that reads as none of these is passed over.
#include <cstdint>
#include <string_view>
#include <vector>

#include "support/civil_date.h"

namespace kestrival {

class DaysOff {
public:
    DaysOff() = default;
    explicit DaysOff(std::u16string_view text);

    bool Contains(const CivilDate& date) const;
    bool Empty() const { return yearly_.empty() && dated_.empty(); }

private:
    // Days of the year as month × 100 + day, both ends included; `from` after `to` wraps round
    // the new year.
    struct YearlyRange {
        std::int32_t from;
        std::int32_t to;
    };
    // Day numbers, both ends included.
    struct DatedRange {
        std::int32_t first;
        std::int32_t last;
    };
    std::vector<YearlyRange> yearly_;
    std::vector<DatedRange> dated_;

    void AddItem(std::u16string_view item);
};

}  // namespace kestrival
