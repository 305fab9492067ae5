#pragma once

#include "save_target.h"

#include <algorithm>
#include <limits>

namespace corvane::ui::testing {

// A save target that fails on purpose, over a real one so that what it lets
// through reaches the disk: at creation, at commit, or once `budget` bytes are
// in, when it answers every write with `refusal`: -1 for an error, 0 for a
// device that simply stops taking bytes. It takes at most `chunk` bytes a call.
class FailingTarget final : public SaveTarget {
public:
    static constexpr qint64 Unlimited = std::numeric_limits<qint64>::max();
    struct Plan {
        bool failCreate = false;
        qint64 budget = Unlimited;
        qint64 chunk = Unlimited;
        qint64 refusal = -1;
        bool failCommit = false;
    };

    FailingTarget(const QString& path, const Plan& plan) : real_(path), plan_(plan) {}
    bool create() override { return !plan_.failCreate && real_.create(); }
    qint64 write(const char* data, qint64 size) override
    {
        if (plan_.budget == 0)
            return plan_.refusal;
        const qint64 n = real_.write(data, std::min({size, plan_.budget, plan_.chunk}));
        plan_.budget -= std::max<qint64>(n, 0);
        return n;
    }
    bool commit() override
    {
        if (plan_.failCommit) {
            real_.abandon();
            return false;
        }
        return real_.commit();
    }
    void abandon() override { real_.abandon(); }

private:
    SaveFileTarget real_;
    Plan plan_;
};

} // namespace corvane::ui::testing
