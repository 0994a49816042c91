#pragma once
#include <string>

namespace tav {

// Name of the per-user folder. It starts as "_TavErr" so that anything logged
// before start-up names the engine is still kept somewhere.
extern std::wstring EngineFolderName;

// The per-user folder (application-data folder + EngineFolderName), made when
// it does not exist. False when the application-data folder is unknown.
bool GetUserFolder(std::wstring& folder);

}  // namespace tav
