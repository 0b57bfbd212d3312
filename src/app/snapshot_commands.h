#pragma once
// The three export commands. Each works on the whole framebuffer as it is at that moment,
// connected or not, sends nothing and fails silently.
namespace telorad {

struct Client;

// The save dialog, then the BMP file. True when the file was written.
bool SaveSnapshot(Client& client);
// The print dialog, then one page with the picture fitted to the printable area. True after
// printing, false when cancelled.
bool PrintSnapshot(Client& client);
// The whole framebuffer to the clipboard as an image.
void CopySnapshot(Client& client);

}  // namespace telorad
