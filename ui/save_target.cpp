#include "save_target.h"

namespace corvane::ui {

bool saveWhole(SaveTarget& target, const QByteArray& content)
{
    if (!target.create())
        return false;
    qint64 written = 0;
    while (written < content.size()) {
        const qint64 n = target.write(content.constData() + written, content.size() - written);
        if (n <= 0) {
            target.abandon();
            return false;
        }
        written += n;
    }
    return target.commit();
}

} // namespace corvane::ui
