#include "settings/DataPlanSettings.h"

QString rawValue(PlanCounts counts) {
    switch (counts) {
    case PlanCounts::total:
        return QStringLiteral("total");
    case PlanCounts::download:
        return QStringLiteral("download");
    case PlanCounts::upload:
        return QStringLiteral("upload");
    }
    return {};
}

std::optional<PlanCounts> planCountsFromRawValue(const QString& raw) {
    for (PlanCounts counts : {PlanCounts::total, PlanCounts::download, PlanCounts::upload}) {
        if (raw == rawValue(counts))
            return counts;
    }
    return std::nullopt;
}
