// Rows of the learning curve, their thinning, and their CSV text, numbers locale-free and exact.
#include "net_train/learning_curve.h"

#include "tool_support/number_text.h"

#include <algorithm>

void LearningCurve::add(int passes, const PatternErrors& errors)
{
    if (!rows.empty() && rows.back().pass == passes)
        return;
    rows.push_back({passes, errors});
    if (rows.size() <= max_rows || passes % pass_step != 0)
        return;
    pass_step *= 2;
    const int step = pass_step;
    rows.erase(std::remove_if(rows.begin(), rows.end(), [step](const Row& row) { return row.pass % step != 0; }),
               rows.end());
}

std::string LearningCurve::csv() const
{
    std::string text = "pass,worst_error,mean_squared_error\n";
    if (pass_step > 1)
        text += "# k=" + std::to_string(pass_step) + ": one row every " + std::to_string(pass_step) +
                " passes, and one for the last pass\n";
    for (const Row& row : rows)
        text += std::to_string(row.pass) + "," + shortest_text(row.errors.worst) + "," +
                shortest_text(row.errors.mean_squared) + "\n";
    return text;
}
