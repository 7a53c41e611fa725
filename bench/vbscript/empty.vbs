' An empty script: start-up alone.
