# Random histories of the program, the user and Slack, driving the shipped write path against an in-process
# Slack; its own executable because it runs longest.
nimbrel_add_test(app_ownership_model_test QT SOURCES ownership_model_test.cpp
    LIBS nimbrel_engine)
