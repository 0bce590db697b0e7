// kamerio make: the pages the window's 詳細 html 作成 would write for a
// project file, written without any window or display.
#pragma once

#include "album/album.h"
#include "cli/cli.h"

#include <optional>

namespace cli {

// Exit status when the album was refused or a page could not be written.
constexpr int pagesStatus = 1;

// Loads the project as ファイル読込 would in a freshly started program whose
// folder panes show args.outDir, applies --split and --width, and writes the
// pages there, with web-size copies for --web. out holds the path of each
// page written, a line each; err the messages the window would show, but for
// "作成しました。" and the notice that the project was made in another folder.
Reply make(const MakeArgs &args);

// The album of args.project as make writes it, with the messages of the
// load in reply.err; nothing (and reply.status set) when there is none.
std::optional<album::Album> loadAlbum(const MakeArgs &args, Reply &reply);

} // namespace cli
