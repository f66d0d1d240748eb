#include "ui/window_chrome.h"

#include <wx/image.h>

#include <algorithm>

wxPoint MinimisedIconPosition(wxSize client, wxSize icon) {
    // C++ integer division truncates towards zero, as the header promises
    // for an icon larger than the client area: -31 / 2 is -15, not -16.
    return wxPoint((client.x - icon.x + 1) / 2, (client.y - icon.y + 1) / 2);
}

wxRect FittedPictureRect(wxSize area, wxSize image) {
    if (area.x <= 0 || area.y <= 0 || image.x <= 0 || image.y <= 0) return wxRect();
    wxSize shown = image;
    if (image.x > area.x || image.y > area.y) {
        // Compare area.x / image.x with area.y / image.y without rounding:
        // the narrower ratio decides, the other side follows it.
        if (static_cast<long long>(area.x) * image.y <= static_cast<long long>(area.y) * image.x) {
            shown.x = area.x;
            shown.y = std::max(1, static_cast<int>(static_cast<long long>(image.y) * area.x / image.x));
        } else {
            shown.y = area.y;
            shown.x = std::max(1, static_cast<int>(static_cast<long long>(image.x) * area.y / image.y));
        }
    }
    return wxRect(wxPoint((area.x - shown.x) / 2, (area.y - shown.y) / 2), shown);
}

void ShowPictureCentred(wxStaticBitmap* picture, const wxBitmap& bitmap) {
    wxSize area = picture->GetClientSize();
    wxRect place = FittedPictureRect(area, bitmap.IsOk() ? bitmap.GetSize() : wxSize());
    if (place.IsEmpty()) return;

    // Left to itself, the toolkit stretches a bitmap to the control's size.
    // A bitmap of exactly that size, transparent but for the picture, leaves
    // it nothing to stretch.
    wxImage image = bitmap.ConvertToImage();
    if (place.GetSize() != image.GetSize()) image.Rescale(place.width, place.height, wxIMAGE_QUALITY_HIGH);
    if (!image.HasAlpha()) image.InitAlpha();
    wxImage ground(area);
    ground.InitAlpha();
    std::fill_n(ground.GetAlpha(), static_cast<size_t>(area.x) * area.y, static_cast<unsigned char>(0));
    ground.Paste(image, place.x, place.y);  // pixels and alpha copied as they are
    picture->SetBitmap(wxBitmap(ground));
}
