#pragma once

/// @file
/// The whole public engine in one include, for small games: `#include "Norvantis.h"`.

#include "NorvantisVersion.h"

#include "core/Clock.h"
#include "core/Config.h"
#include "core/Event.h"
#include "core/EventStep.h"
#include "core/GameManager.h"
#include "core/LogManager.h"
#include "core/Manager.h"

#include "world/Box.h"
#include "world/EventCollision.h"
#include "world/EventOut.h"
#include "world/Object.h"
#include "world/ObjectList.h"
#include "world/ObjectListIterator.h"
#include "world/Vector.h"
#include "world/WorldManager.h"
#include "world/utility.h"

#include "display/Animation.h"
#include "display/Color.h"
#include "display/DisplayManager.h"
#include "display/EventView.h"
#include "display/Frame.h"
#include "display/Shape.h"
#include "display/Splash.h"
#include "display/Sprite.h"
#include "display/ViewObject.h"

#include "resources/Music.h"
#include "resources/ResourceManager.h"
#include "resources/Sound.h"

#include "input/EventKeyboard.h"
#include "input/EventMouse.h"
#include "input/InputManager.h"

#include "path/EventPath.h"
#include "path/Path.h"
#include "path/PathManager.h"

#include "network/EventNetwork.h"
#include "network/EventNetworkAccept.h"
#include "network/EventNetworkClose.h"
#include "network/NetworkManager.h"
