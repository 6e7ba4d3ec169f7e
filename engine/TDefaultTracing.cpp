#include <Orbalog/TDefaultTracing.h>
#include <Orbalog/TTracing.h>

namespace Orbalog {

namespace {

// Separator texts shared by every file tracer of the process.
TTraceTimeTexts FileTracerTimes;

const TTracerVariation FileTracer{
    .TimeTexts = &FileTracerTimes,
    .NarrowFallBackCounter = false,
    .LoadOnStart = false,
    .TitleOnLoad = true,
};

} // namespace

EOrbalogError::~EOrbalogError() = default;

TDefaultTracing::TDefaultTracing(QObject *AOwner)
    : TComponent(AOwner)
    , TTracerEngine(this, FileTracer)
{
}

TDefaultTracing::~TDefaultTracing() = default;

TTracing::~TTracing() = default;

} // namespace Orbalog
