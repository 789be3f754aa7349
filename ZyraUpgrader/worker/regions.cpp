#include "regions.h"

namespace regions {

const std::vector<Region> &all()
{
    static const std::vector<Region> table{
        {4, 0, false, "usa"},        {3, 1, false, "europe"},        {2, 2, false, "japan"},
        {9, 0, true, "usa-outdoor"}, {8, 1, true, "europe-outdoor"}, {7, 2, true, "japan-outdoor"},
    };
    return table;
}

}  // namespace regions
