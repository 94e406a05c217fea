# Tests of the grid, the table page, the Import DXF dialog and the small
# dialogs around them.
pos_add_qt_test(test_grid SOURCES test_grid.cpp LIBS pos_ui)
pos_add_qt_test(test_table_page SOURCES test_table_page.cpp LIBS pos_ui)
pos_add_qt_test(test_import_dxf SOURCES test_import_dxf.cpp LIBS pos_ui)
pos_add_qt_test(test_table_dialogs SOURCES test_table_dialogs.cpp LIBS pos_ui)

# The Chinese texts of this part's forms and menus, from its own catalogue
# while it stands apart from the layer's merged one.
pos_add_qt_test(test_table_i18n SOURCES test_table_i18n.cpp LIBS pos_ui)

# Not a test: renders the table page, its menus and dialogs to PNGs.
#   shot_table docs
add_executable(shot_table shot_table.cpp)
target_link_libraries(shot_table PRIVATE pos_ui)
target_compile_definitions(shot_table PRIVATE POS_TEST_DATA_DIR="${POS_TEST_DATA_DIR}")
pos_set_warnings(shot_table)

