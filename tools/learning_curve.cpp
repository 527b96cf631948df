// Rows of the learning curve and their CSV text, numbers locale-free and exact.
#include "tools/learning_curve.h"

#include "tools/number_text.h"

LearningCurve::LearningCurve(int pass_limit)
{
    const long long passes = pass_limit > 0 ? pass_limit : 0;
    pass_step = static_cast<int>(passes <= max_rows ? 1 : (passes + max_rows - 1) / max_rows);
    rows.reserve(static_cast<std::size_t>(passes / pass_step + 2));
}

void LearningCurve::add(int passes, const PatternErrors& errors)
{
    if (rows.empty() || rows.back().pass != passes)
        rows.push_back({passes, errors});
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
