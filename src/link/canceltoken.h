#pragma once

#include <memory>

// The operator's request to stop one operation. The operation makes the
// token and owns it; whoever offers a Cancel button holds a copy. A copy
// kept after its operation ended reaches nothing: the next operation has a
// token of its own.
class CancelToken
{
public:
    void request() { *m_requested = true; }
    bool requested() const { return *m_requested; }

private:
    std::shared_ptr<bool> m_requested = std::make_shared<bool>(false);
};
