// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Page 0: the signature, the Jet version, and the database settings, which
// are stored scrambled with a fixed RC4 key. The settings written are no
// encryption key, no password and the "General" sort order.
#include "jet4/Jet4Writer.h"

namespace jet4::detail {

QByteArray headerPage(Format format);

} // namespace jet4::detail
