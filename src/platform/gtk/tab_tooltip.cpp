#include "platform/tab_tooltip.h"

#include <gtk/gtk.h>
#include <wx/notebook.h>

namespace nuvaro {
namespace {

GtkWidget* TabLabel(wxNotebook* book, size_t page) {
    if (!book || page >= book->GetPageCount()) return nullptr;
    GtkWidget* child = book->GetPage(page)->GetHandle();
    return gtk_notebook_get_tab_label(GTK_NOTEBOOK(book->GetHandle()), child);
}

}  // namespace

void SetTabToolTip(wxNotebook* book, size_t page, const wxString& tip) {
    if (GtkWidget* label = TabLabel(book, page)) {
        gtk_widget_set_tooltip_text(label, tip.utf8_str());
    }
}

wxString TabToolTip(wxNotebook* book, size_t page) {
    GtkWidget* label = TabLabel(book, page);
    gchar* tip = label ? gtk_widget_get_tooltip_text(label) : nullptr;
    wxString text = tip ? wxString::FromUTF8(tip) : wxString();
    g_free(tip);
    return text;
}

}  // namespace nuvaro
