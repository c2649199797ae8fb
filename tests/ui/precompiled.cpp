// The one source of the target that compiles the widget tests' precompiled header.
