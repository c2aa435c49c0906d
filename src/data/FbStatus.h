#pragma once

// Internal to the data layer: a status object for calls of the Firebird interfaces and the
// conversion of a failed status into a DatabaseError.

#include "data/DatabaseError.h"
#include "data/FbClient.h"

#include <firebird/Interface.h>

namespace vorn::data::fb {

// One status for a sequence of calls; each call clears it first.
class Status {
public:
    explicit Status(FbClient& client)
        : client_(client), raw_(client.master()->getStatus()), wrapper_(raw_) {}
    ~Status() { raw_->dispose(); }
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;

    Firebird::CheckStatusWrapper* operator&() { return &wrapper_; }
    bool failed() const { return (wrapper_.getState() & Firebird::IStatus::STATE_ERRORS) != 0; }
    // Throws the status's error when the last call failed.
    void check() {
        if (failed())
            throw error();
    }
    DatabaseError error();

private:
    FbClient& client_;
    Firebird::IStatus* raw_;
    Firebird::CheckStatusWrapper wrapper_;
};

} // namespace vorn::data::fb
