# The table page, the Import DXF dialog, the trajectory display, the
# coordinate move and the speeds-and-time dialogs.
target_sources(pos_ui PRIVATE
    wizard/CSetTable.cpp
    wizard/CSetTable.h
    wizard/CSetTable.ui
    dialogs/CCoordinateMove.cpp
    dialogs/CCoordinateMove.h
    dialogs/CCoordinateMove.ui
    dialogs/CGraphicDisplay.cpp
    dialogs/CGraphicDisplay.h
    dialogs/CGraphicDisplay.ui
    dialogs/CImportDxf.cpp
    dialogs/CImportDxf.h
    dialogs/CImportDxf.ui
    dialogs/CSetSpeeds.cpp
    dialogs/CSetSpeeds.h
    dialogs/CSetSpeeds.ui
)
