#include "present/RenderControl.h"

#include <libxslt/xsltInternals.h>

namespace reelkeep {

void RenderControl::StopTransform(xsltTransformContext* context) {
    // The processor reads its state between instructions and ends the transform when it finds
    // it stopped (as xsl:message terminate="yes" does). It offers no call for another thread,
    // so the state is written as one aligned word.
    std::atomic_ref<xsltTransformState>(context->state)
        .store(XSLT_STATE_STOPPED, std::memory_order_relaxed);
}

void RenderControl::Stop() {
    stopped_.store(true, std::memory_order_relaxed);
    const std::lock_guard lock(mutex_);
    if (transform_) StopTransform(transform_);
}

RenderControl::TransformScope::TransformScope(RenderControl* control,
                                              xsltTransformContext* context)
    : control_(control) {
    if (!control_) return;
    const std::lock_guard lock(control_->mutex_);
    control_->transform_ = context;
    if (control_->Stopped()) StopTransform(context);
}

RenderControl::TransformScope::~TransformScope() {
    if (!control_) return;
    const std::lock_guard lock(control_->mutex_);
    control_->transform_ = nullptr;
}

}  // namespace reelkeep
