// `sistra gui` (the frame window with a recording's document and its views) and `sistra snapshot` (one
// view's window saved as a picture).
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace Host
{

std::string GuiUsage();

// The view class a snapshot names: a short alias, or the name the class registered under.
std::wstring ViewClassNameOf(const std::string& viewArgument);

int RunGui(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunSnapshot(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace Host
