#pragma once

#include <QString>

#include <optional>

// Which directions count against the data plan.
enum class PlanCounts { total, download, upload };

// "total", "download", "upload": the stored raw values.
QString rawValue(PlanCounts counts);
std::optional<PlanCounts> planCountsFromRawValue(const QString& raw);

// The data plan as the user set it: a monthly quota in GB (1 GB = 1024³ bytes), the day of the
// month its billing cycle starts on, the counted directions and whether to warn at 80 %/100 %.
struct DataPlanSettings {
    double quotaGB = 0;
    int resetDay = 1;
    PlanCounts counts = PlanCounts::total;
    bool alerts = true;

    friend bool operator==(const DataPlanSettings&, const DataPlanSettings&) = default;
};
