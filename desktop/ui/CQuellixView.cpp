#include "CQuellixView.h"

#include "resources/resource.h"

CQuellixView::CQuellixView(wxWindow* parent, CQuellixDoc& document)
    : wxPanel(parent, res::IDD_QUELLIX_FORM), m_document(document) {}

void CQuellixView::OnInitialUpdate() {}
