// The application's grid as its main window stores it (GridView1 with its five columns), in a
// window of its own, so the grid can be seen and tested before the main window is finished.
#include "GridView1Description.h"

namespace gridtest {

std::wstring GridView1Description()
{
    return LR"(object Host: THostForm
  Font.Name = 'MS Sans Serif'
  Font.Height = -11
  object GridView1: TGridView
    Left = 8
    Top = 8
    Width = 530
    Height = 170
    BorderStyle = bsSingle
    GridLinesStyle = lsNormal
    GridStyle = gsReport
    HeaderSize = 20
    HeaderStyle = hsAuto
    HideScrollBar = True
    InputSize = 12
    Options = [goDissableColumnMoving, goGrid, goHeader]
    ParentColor = False
    RowSize = 20
    SelectionMoveDirection = mdNone
    ShowHint = True
    SlideSize = 60
    TabOrder = 0
    TabStop = True
    WantReturns = False
    object TTextualColumn
      Alignment = taCenter
      AutoExecute = True
      Color = clWindow
      DefaultWidth = 99
      Font.Color = clWindowText
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Footer.Color = clWindow
      Header.Caption = 'Saat'
      Header.Color = clBtnFace
      Header.DisplayMode = dmTextOnly
      Options = [coAutoSize, coCanInput, coDontHighlight, coPublicUsing]
      Position = 2
      Sorted = False
      SortKind = skAscending
      SortType = stAlphabetic
      VerticalAlignment = vaMiddle
      Width = 99
      WrapKind = wkEllipsis
    end
    object TTextualColumn
      Alignment = taCenter
      AutoExecute = True
      Color = clWindow
      DefaultWidth = 120
      Font.Color = clWindowText
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Footer.Color = clWindow
      Header.Caption = 'Cihaz seri no.'
      Header.Color = clBtnFace
      Header.DisplayMode = dmTextOnly
      Options = [coAutoSize, coCanInput, coDontHighlight, coPublicUsing]
      Position = 3
      Sorted = False
      SortKind = skAscending
      SortType = stAlphabetic
      VerticalAlignment = vaMiddle
      Width = 120
      WrapKind = wkEllipsis
    end
    object TTextualColumn
      Alignment = taCenter
      AutoExecute = True
      Color = clWindow
      DefaultWidth = 104
      Font.Color = clWindowText
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Footer.Color = clWindow
      Header.Caption = 'Çağrı sıra no'
      Header.Color = clBtnFace
      Header.DisplayMode = dmTextOnly
      Options = [coAutoSize, coCanInput, coDontHighlight, coPublicUsing]
      Position = 4
      Sorted = False
      SortKind = skAscending
      SortType = stAlphabetic
      VerticalAlignment = vaMiddle
      Width = 104
      WrapKind = wkEllipsis
    end
    object TTextualColumn
      Alignment = taCenter
      AutoExecute = True
      Color = clWindow
      DefaultWidth = 71
      Font.Color = clWindowText
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Footer.Color = clWindow
      Header.Caption = 'Hat no.'
      Header.Color = clBtnFace
      Header.DisplayMode = dmTextOnly
      Options = [coAutoSize, coCanInput, coDontHighlight, coPublicUsing]
      Position = 0
      Sorted = False
      SortKind = skDescending
      SortType = stAlphabetic
      VerticalAlignment = vaMiddle
      Width = 71
      WrapKind = wkEllipsis
    end
    object TTextualColumn
      Alignment = taCenter
      AutoExecute = True
      Color = clWindow
      DefaultWidth = 132
      Font.Color = clWindowText
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Footer.Color = clWindow
      Header.Caption = 'Arayan numara'
      Header.Color = clBtnFace
      Header.DisplayMode = dmTextOnly
      Options = [coAutoSize, coCanInput, coDontHighlight, coPublicUsing]
      Position = 1
      Sorted = False
      SortKind = skAscending
      SortType = stAlphabetic
      VerticalAlignment = vaMiddle
      Width = 132
      WrapKind = wkEllipsis
    end
  end
end
)";
}

} // namespace gridtest
