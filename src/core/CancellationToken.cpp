#include "core/CancellationToken.h"

#include "core/BrenvikError.h"

void CancellationToken::throwIfCancelled() const
{
    if (isCancelled())
        throw CancellationError();
}
