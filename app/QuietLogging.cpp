#include "app/QuietLogging.h"

#include <QLoggingCategory>
#include <QString>

namespace app {

void QuietLoggingByDefault() {
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false"));
}

}  // namespace app
