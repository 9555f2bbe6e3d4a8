#pragma once
// The four status faces of the top bar: a 26 x 26 yellow face on a grey
// 33 x 33 area, one expression per status.
#include <QPixmap>

#include "app/StatusState.h"

namespace quorvel::app {

constexpr int kFaceAreaSize = 33;
constexpr int kFaceSize = 26;

QPixmap paintStatusFace(StatusFace face);

}  // namespace quorvel::app
